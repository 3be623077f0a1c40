// Closes the program's exception frame tables: a zero length ends the walk.
// Linked after every other object.
extern "C" {
__attribute__((section(".eh_frame"), aligned(4), used)) int lumFrameTableEnd = 0;
}
