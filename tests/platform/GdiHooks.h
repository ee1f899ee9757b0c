#pragma once

// Faults and a count of live handles for the graphics calls that stand in for Windows' own. The
// calls themselves know nothing of them: a test program linked with this library has its calls
// of the graphics functions wrapped by the linker (tests/CMakeLists.txt), so that the shipped
// program carries none of it.

// Makes the next count calls of CreateDIBSection fail as if memory had run out (0 turns the
// hook off).
void FailNextDibSections(int count);
// Makes the next count calls of CreateCompatibleDC fail (0 turns the hook off).
void FailNextMemoryDCs(int count);

// Bitmaps and device contexts made and not yet deleted or released, so that tests can see that
// an owner gave back everything it took.
int LiveGdiHandleCount();
