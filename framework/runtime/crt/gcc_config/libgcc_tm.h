/* The unwinder's build configuration: nothing beyond what the compiler
   predefines with -fbuilding-libgcc. */
