// The problems an inspection collects.
#include "read/Inspection.h"

namespace sfx {

bool Inspection::hasErrors() const {
    if (kind != FileKind::Installer) return true;
    for (const Problem& problem : problems)
        if (problem.severity == Severity::Error) return true;
    return false;
}

void Inspection::add(Severity severity, const std::string& text, int32_t member) {
    problems.push_back({severity, text, member});
}

}  // namespace sfx
