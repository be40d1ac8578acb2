#include "json.h"

#include <cstdio>

namespace ctl {

std::string JsonString(const std::string &bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void JsonWriter::Separate()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_)
        out_ += ',';
    first_ = false;
}

JsonWriter &JsonWriter::BeginObject()
{
    Separate();
    out_ += '{';
    first_ = true;
    return *this;
}

JsonWriter &JsonWriter::EndObject()
{
    out_ += '}';
    first_ = false;
    return *this;
}

JsonWriter &JsonWriter::BeginArray()
{
    Separate();
    out_ += '[';
    first_ = true;
    return *this;
}

JsonWriter &JsonWriter::EndArray()
{
    out_ += ']';
    first_ = false;
    return *this;
}

JsonWriter &JsonWriter::Key(const char *key)
{
    Separate();
    out_ += JsonString(key) + ':';
    afterKey_ = true;
    return *this;
}

JsonWriter &JsonWriter::String(const std::string &value)
{
    Separate();
    out_ += JsonString(value);
    return *this;
}

JsonWriter &JsonWriter::Number(int64_t value)
{
    Separate();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter &JsonWriter::Real(double value, int decimals)
{
    Separate();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    out_ += buf;
    return *this;
}

JsonWriter &JsonWriter::Bool(bool value)
{
    Separate();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter &JsonWriter::Null()
{
    Separate();
    out_ += "null";
    return *this;
}

JsonWriter &JsonWriter::FieldOrNull(const char *key, const std::string &value)
{
    Key(key);
    return value.empty() ? Null() : String(value);
}

} // namespace ctl
