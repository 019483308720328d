// Cuts a byte stream into messages by the length field at the head of each.
// The client, the server and the load tool all frame their input here.
#pragma once

#include <cstddef>
#include <string_view>
#include <type_traits>

#include "net/Wire.h"

namespace wire {

enum class FrameStatus {
    Incomplete,  // more bytes are needed before the message at the head is whole
    Complete,    // the message at the head is whole: `length` bytes
    Invalid,     // the length field can never start a message this side accepts
};

struct Frame {
    FrameStatus status;
    std::size_t length;  // the length field; 0 while it has not arrived
};

struct FrameRules {
    // Nothing is taken out before this many bytes are buffered.
    std::size_t minBuffered;
    // A longer length field is Invalid as soon as it is there.
    std::size_t maxLength;
};

// What the client takes from the server: a message leaves the buffer only
// once 8 bytes are there, so a lone 6-byte message waits for the next one.
inline constexpr FrameRules kFromServer{static_cast<std::size_t>(kTakeOutThreshold), 0xFFFF};
// What the server takes from a client: nothing longer than the longest
// message a client sends, so it never waits for an absurd length.
inline constexpr FrameRules kFromClient{2, static_cast<std::size_t>(kMaxClientMessage)};

// Looks at the message at the head of `input`. A length below the header's own
// size could never leave the stream, so it is Invalid.
Frame ScanFrame(std::string_view input, FrameRules rules);

struct FrameRun {
    std::size_t consumed = 0;  // bytes of the whole messages handed out
    bool invalid = false;      // stopped at a length that can never be a message
};

// Hands each whole message at the head of `input` to `onMessage`, in order,
// until an incomplete or invalid one. `onMessage` takes the message's bytes;
// when it returns bool, false stops the run after that message.
template <typename OnMessage>
FrameRun ForEachFrame(std::string_view input, FrameRules rules, OnMessage&& onMessage) {
    FrameRun run;
    for (;;) {
        const Frame frame = ScanFrame(input.substr(run.consumed), rules);
        if (frame.status == FrameStatus::Invalid) run.invalid = true;
        if (frame.status != FrameStatus::Complete) return run;
        const std::string_view message = input.substr(run.consumed, frame.length);
        run.consumed += frame.length;
        if constexpr (std::is_same_v<std::invoke_result_t<OnMessage&, std::string_view>, bool>) {
            if (!onMessage(message)) return run;
        } else {
            onMessage(message);
        }
    }
}

}  // namespace wire
