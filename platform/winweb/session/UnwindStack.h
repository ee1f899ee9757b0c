#pragma once

// Where the program's stack is kept while it waits for the page: Binaryen's asyncify writes the
// calls in progress there when page_wait_event unwinds them, and reads them back to wind them up
// again.

// The space, emptied for the next wait.
void* FreshUnwindData();
