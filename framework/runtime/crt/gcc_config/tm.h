/* Unwind columns are the DWARF register numbers. */
#define DWARF_REG_TO_UNWIND_COLUMN(REGNO) (REGNO)
