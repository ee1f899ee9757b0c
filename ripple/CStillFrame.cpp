#include "ripple/CStillFrame.h"

#include <algorithm>

namespace {

bool AnyDropLive(DropTable drops) {
    return std::any_of(drops.begin(), drops.end(),
                       [](const RippleDrop& drop) { return drop.active != 0; });
}

bool SameOptions(const FieldOptions& a, const FieldOptions& b) {
    return a.drift == b.drift && a.spectrum == b.spectrum && a.addColor == b.addColor;
}

} // namespace

void CStillFrame::Rendered(int gridW, int gridH, const FieldOptions& options, DropTable drops) {
    m_bValid = !AnyDropLive(drops);
    m_nGridW = gridW;
    m_nGridH = gridH;
    m_options = options;
}

bool CStillFrame::WouldRepeat(int gridW, int gridH, const FieldOptions& options,
                              DropTable drops) const {
    return m_bValid && gridW == m_nGridW && gridH == m_nGridH && SameOptions(options, m_options) &&
           !AnyDropLive(drops);
}
