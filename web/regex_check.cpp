#include "web/regex_check.h"

#include "web/regex_diagnosis.h"

namespace qingwu {

// Profile patterns are always used with case ignored and multiline off.
bool CheckPattern(const Text& pattern, std::string* error, int* offset) {
    const PatternDiagnosis d = DiagnosePattern(pattern, true, false);
    if (error != nullptr) {
        *error = d.compiles ? std::string() : d.message;
    }
    if (offset != nullptr) {
        *offset = d.compiles ? -1 : d.offset;
    }
    return d.compiles;
}

int CaptureGroupCount(const Text& pattern) {
    const PatternDiagnosis d = DiagnosePattern(pattern, true, false);
    return d.compiles ? d.groupCount : -1;
}

}  // namespace qingwu
