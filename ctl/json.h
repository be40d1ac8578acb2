// A small JSON writer: builds the whole document in memory, so that a failing command prints
// nothing. Texts from the driver are 8-bit bytes of unknown code page: bytes from 0x80 up are
// written as \u00XX, the Latin-1 character of that byte, so the output is always ASCII.
#ifndef QVL_CTL_JSON_H
#define QVL_CTL_JSON_H

#include <cstdint>
#include <string>

namespace ctl {

// Version of the JSON schema every document and line carries.
constexpr int JsonSchemaVersion = 1;

std::string JsonString(const std::string &bytes);

class JsonWriter {
public:
    JsonWriter &BeginObject();
    JsonWriter &EndObject();
    JsonWriter &BeginArray();
    JsonWriter &EndArray();
    JsonWriter &Key(const char *key);
    JsonWriter &String(const std::string &value);
    JsonWriter &Number(int64_t value);
    JsonWriter &Real(double value, int decimals);
    JsonWriter &Bool(bool value);
    JsonWriter &Null();
    // Key and value in one go.
    JsonWriter &Field(const char *key, const std::string &value) { return Key(key).String(value); }
    JsonWriter &Field(const char *key, const char *value) { return Key(key).String(value); }
    JsonWriter &Field(const char *key, int64_t value) { return Key(key).Number(value); }
    JsonWriter &Field(const char *key, int value) { return Key(key).Number(value); }
    JsonWriter &Field(const char *key, bool value) { return Key(key).Bool(value); }
    // An empty text as null.
    JsonWriter &FieldOrNull(const char *key, const std::string &value);

    const std::string &Text() const { return out_; }

private:
    void Separate();
    std::string out_;
    bool first_ = true; // no comma before the next value
    bool afterKey_ = false;
};

} // namespace ctl

#endif
