// The words of scenario text: the tokenizer that splits a line into its item and key=value
// words, the numbers, lists and texts they hold, and the refusal that stops a parse.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "simState.h"

namespace qvlsim::scenario {

struct ParseError {
    std::string reason;
};

[[noreturn]] inline void fail(std::string reason) { throw ParseError{std::move(reason)}; }

// 0x followed by upper-case hex digits, as identifiers are written.
std::string hex(uint32_t v);

struct Word {
    std::string key;
    std::string value;
    bool used = false;
};

// Splits a line into its item name and words; an empty item means a blank or comment line.
void tokenize(std::string_view line, std::string &item, std::vector<Word> &words);

// Decimal or 0x hex, at most 32 bits.
bool parseNumber(const std::string &text, uint64_t &v);

// The words of one item; each is taken at most once and leftovers are unknown words.
class Words {
public:
    Words(std::string item, std::vector<Word> words) : item_(std::move(item)), words_(std::move(words)) {}

    const Word *find(const char *key)
    {
        for (Word &w : words_)
            if (w.key == key) {
                w.used = true;
                return &w;
            }
        return nullptr;
    }
    bool has(const char *key) const
    {
        for (const Word &w : words_)
            if (w.key == key)
                return true;
        return false;
    }
    const Word &need(const char *key)
    {
        const Word *w = find(key);
        if (!w)
            fail(item_ + " needs " + key + "=");
        return *w;
    }
    void checkAllUsed() const
    {
        for (const Word &w : words_)
            if (!w.used)
                fail("unknown word '" + w.key + "' for " + item_);
    }

    static uint32_t number(const Word &w, uint32_t max)
    {
        uint64_t v;
        if (!parseNumber(w.value, v))
            fail("bad number '" + w.value + "' for " + w.key + "=");
        if (v > max)
            fail(w.key + "=" + w.value + " out of range (max " + std::to_string(max) + ")");
        return static_cast<uint32_t>(v);
    }
    // Decimal with an optional minus, or any 32-bit pattern in hex (0xC0000005).
    static int32_t signedNumber(const Word &w)
    {
        bool negative = !w.value.empty() && w.value[0] == '-';
        uint64_t v;
        if (!parseNumber(negative ? w.value.substr(1) : w.value, v))
            fail("bad number '" + w.value + "' for " + w.key + "=");
        if (negative) {
            if (v > 0x80000000ull)
                fail(w.key + "=" + w.value + " out of range");
            return static_cast<int32_t>(-static_cast<int64_t>(v));
        }
        bool isHex = w.value.size() > 2 && (w.value[1] == 'x' || w.value[1] == 'X');
        if (v > 0x7FFFFFFFull && !isHex)
            fail(w.key + "=" + w.value + " out of range");
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    }
    static std::vector<uint32_t> list(const Word &w, size_t maxCount, uint32_t max, const char *what)
    {
        std::vector<uint32_t> out;
        size_t start = 0;
        for (;;) {
            size_t comma = w.value.find(',', start);
            Word part{w.key, w.value.substr(start, comma == std::string::npos ? std::string::npos : comma - start)};
            out.push_back(number(part, max));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (out.size() > maxCount)
            fail("more than " + std::to_string(maxCount) + " " + what);
        return out;
    }
    // Copies a text into its field, zero filled; limit is the most characters it may hold.
    static void text(const Word &w, char *field, size_t size, size_t limit, char pad = '\0')
    {
        if (w.value.size() > limit)
            fail(w.key + "= text too long (max " + std::to_string(limit) + " characters)");
        std::memset(field, pad, size);
        std::memcpy(field, w.value.data(), w.value.size());
    }

private:
    std::string item_;
    std::vector<Word> words_;
};

uint32_t optNumber(Words &w, const char *key, uint32_t max, uint32_t fallback);
bool flag(Words &w, const char *key);
// A number that is a valid device identifier.
DeviceId deviceId(const Word &w);

// parent=ID, on disks and arrays.
template <class Item> void optParent(Words &w, Item &item)
{
    if (const Word *p = w.find("parent")) {
        item.parentSet = 1;
        item.parent = Words::number(*p, 0xFFFFFFFFu);
    }
}

// fail=CODE, on every item the driver reads: the result its read gives instead.
template <class Item> void optFail(Words &w, Item &item)
{
    if (const Word *f = w.find("fail")) {
        item.hasFail = 1;
        item.fail = Words::signedNumber(*f);
    }
}

} // namespace qvlsim::scenario
