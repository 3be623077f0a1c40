// Opens the program's exception frame tables. Linked before every other
// object, so that the table starts here; frame_table_end.cpp closes it.
// Data only: a function here would put its own frame data before the mark.
extern "C" {
__attribute__((section(".eh_frame"), aligned(4), used)) char lumFrameTableStart[] = {};
}
