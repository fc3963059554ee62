#pragma once

#include "common/Reasons.h"

#include <string>

namespace velnor {

// Why a record cannot be used: the field that is wrong, named as the field of
// the record (and the key of velnor-calc's JSON), and the reason in English
// and in Japanese (from one table, common/Reasons), naming the value and its
// limits. Every path that makes or changes a record
// (a window, a fit, a file reader or writer, another program's output, the
// command-line tools) asks the record's one check and refuses on a fault.
struct RecordFault {
    enum class Kind {
        NotPhysical,         // a value without physical meaning or outside the tables
        ThicknessExceedsGap, // the body does not fit between the surface and the receptor
    };
    Kind kind = Kind::NotPhysical;
    std::string field;
    std::string reason;   // in English: the command-line tools, the logs
    std::string reasonJa; // in Japanese: the windows
    Wording wording() const { return {reason, reasonJa}; }
};

} // namespace velnor
