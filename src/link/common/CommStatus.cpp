#include "CommStatus.h"

#include <utility>

#include "StringIds.h"
#include "StringTable.h"

namespace tavin {

int32_t CommStatus::SetStatus(int32_t code) {
    if (code != kKeepStatus) {
        status_ = code;
    }
    return -status_;
}

unsigned CommStatus::StatusStringId(int32_t code) {
    if (code < 0 || code >= kCodeCount) {
        code = kKeepStatus;
    }
    return string_id::StatusText(code);
}

std::string CommStatus::GetStatusText() const {
    return FormatString(LoadText(string_id::kStatusFrame), LoadText(StatusStringId(status_)));
}

int32_t CommStatus::MapLineErrors(uint32_t flags) {
    // The order matters: a break usually comes with a framing error and must win over it.
    static constexpr std::pair<uint32_t, int32_t> kOrder[] = {
        {kCeMode, kMode},         {kCeBreak, kBreak},     {kCeFrame, kFraming},
        {kCeIoe, kIoError},       {kCeOverrun, kOverrun}, {kCeRxOver, kRxOver},
        {kCeRxParity, kRxParity}, {kCeTxFull, kTxFull},   {kCeDns, kDns},
        {kCePto, kPto},           {kCeOop, kOop},
    };
    for (const auto& [flag, code] : kOrder) {
        if (flags & flag) {
            return code;
        }
    }
    return kTimeOut;
}

}  // namespace tavin
