#include <cstddef>
#include <cstdlib>

// WebAssembly as this toolchain makes it cannot unwind, and its C++ library is built without
// exceptions: whatever would throw (running out of memory, a length past every limit) ends the
// program, as an exception nobody catches would.

extern "C" void* __cxa_allocate_exception(std::size_t /*size*/) {
    std::abort();
}

extern "C" void __cxa_throw(void* /*exception*/, void* /*type*/, void (* /*destructor*/)(void*)) {
    std::abort();
}
