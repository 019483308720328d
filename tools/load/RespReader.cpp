#include "tools/load/RespReader.h"

#include <charconv>

namespace load {

namespace {

constexpr int kMaxDepth = 8;

struct Cursor {
    std::string_view bytes;
    std::size_t pos = 0;

    // The rest of the current line, without its CR LF.
    RespStatus Line(std::string_view& line) {
        const auto end = bytes.find("\r\n", pos);
        if (end == std::string_view::npos) return RespStatus::Incomplete;
        line = bytes.substr(pos, end - pos);
        pos = end + 2;
        return RespStatus::Complete;
    }
};

bool ToInt(std::string_view text, std::int64_t& out) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

bool IsAggregate(char type) { return type == '*' || type == '>' || type == '~' || type == '%' || type == '|'; }
bool IsBlob(char type) { return type == '$' || type == '!' || type == '='; }

// Reads one value; `scalar` receives a scalar's text (left empty for aggregates).
RespStatus ReadValue(Cursor& cursor, int depth, char& type, std::string_view& scalar, std::int64_t& count) {
    if (depth > kMaxDepth) return RespStatus::Malformed;
    if (cursor.pos >= cursor.bytes.size()) return RespStatus::Incomplete;
    type = cursor.bytes[cursor.pos++];
    std::string_view line;
    if (const auto status = cursor.Line(line); status != RespStatus::Complete) return status;
    scalar = {};
    count = 0;

    if (IsBlob(type)) {
        std::int64_t length = 0;
        if (!ToInt(line, length) || length < -1) return RespStatus::Malformed;
        if (length == -1) return RespStatus::Complete;  // the null bulk string
        const auto need = static_cast<std::size_t>(length) + 2;
        if (cursor.bytes.size() - cursor.pos < need) return RespStatus::Incomplete;
        if (cursor.bytes.substr(cursor.pos + static_cast<std::size_t>(length), 2) != "\r\n")
            return RespStatus::Malformed;
        scalar = cursor.bytes.substr(cursor.pos, static_cast<std::size_t>(length));
        cursor.pos += need;
        return RespStatus::Complete;
    }
    if (IsAggregate(type)) {
        if (!ToInt(line, count) || count < -1) return RespStatus::Malformed;
        const std::int64_t elements = (type == '%' || type == '|') ? 2 * count : count;
        for (std::int64_t i = 0; i < elements; ++i) {
            char innerType = 0;
            std::string_view innerScalar;
            std::int64_t innerCount = 0;
            if (const auto status = ReadValue(cursor, depth + 1, innerType, innerScalar, innerCount);
                status != RespStatus::Complete)
                return status;
        }
        return RespStatus::Complete;
    }
    switch (type) {
    case '+':
    case '-':
    case ':':
    case '_':
    case ',':
    case '#':
    case '(': scalar = line; return RespStatus::Complete;
    default: return RespStatus::Malformed;
    }
}

}  // namespace

RespStatus ReadResp(std::string_view bytes, RespValue& value, std::size_t& used) {
    Cursor cursor{bytes};
    std::int64_t count = 0;
    if (const auto status = ReadValue(cursor, 0, value.type, value.text, count); status != RespStatus::Complete)
        return status;
    value.count = static_cast<int>(count);
    for (auto& item : value.items) item = {};
    if (IsAggregate(value.type)) {
        // A second pass over the elements, now known to be complete, keeps the first few strings.
        Cursor again{bytes};
        std::string_view header;
        ++again.pos;
        again.Line(header);
        for (int i = 0; i < value.count && i < 4; ++i) {
            char type = 0;
            std::int64_t innerCount = 0;
            ReadValue(again, 1, type, value.items[i], innerCount);
        }
    }
    used = cursor.pos;
    return RespStatus::Complete;
}

}  // namespace load
