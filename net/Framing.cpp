#include "net/Framing.h"

#include "net/ByteOrder.h"

namespace wire {

Frame ScanFrame(std::string_view input, FrameRules rules) {
    if (input.size() < 2 || input.size() < rules.minBuffered) return {FrameStatus::Incomplete, 0};
    const std::size_t length = LoadU16(input.data() + kLengthOffset);
    if (length < static_cast<std::size_t>(kHeaderSize) || length > rules.maxLength)
        return {FrameStatus::Invalid, length};
    if (input.size() < length) return {FrameStatus::Incomplete, length};
    return {FrameStatus::Complete, length};
}

}  // namespace wire
