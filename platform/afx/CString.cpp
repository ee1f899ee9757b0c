#include "platform/afx/CString.h"

#include "platform/afx/CWinApp.h"

#include <vector>

namespace {

constexpr int kFirstBufferSize = 256; // longer than any string of the table so far

} // namespace

BOOL CString::LoadString(UINT nID) {
    // A string that fills the buffer may have been cut short, so it is loaded again into one
    // twice the size.
    std::vector<char> buffer(kFirstBufferSize);
    int length = 0;
    for (;;) {
        const int size = static_cast<int>(buffer.size());
        length = ::LoadString(AfxGetInstanceHandle(), nID, buffer.data(), size);
        if (length < size - 1) {
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    m_str.assign(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
    return length > 0 ? TRUE : FALSE;
}
