#include "server/Framing.h"

#include "server/MessageView.h"

namespace server {

Frame ScanFrame(std::string_view input) {
    if (input.size() < 2) return {FrameStatus::Incomplete, 0};
    const std::size_t length = ReadU16(input, wire::kLengthOffset);
    if (length < static_cast<std::size_t>(wire::kHeaderSize) ||
        length > static_cast<std::size_t>(wire::kMaxClientMessage))
        return {FrameStatus::Invalid, length};
    if (input.size() < length) return {FrameStatus::Incomplete, length};
    return {FrameStatus::Complete, length};
}

}  // namespace server
