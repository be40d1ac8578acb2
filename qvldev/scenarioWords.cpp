#include "scenarioWords.h"

#include <cstdio>

namespace qvlsim::scenario {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
    return buf;
}

namespace {

// The quoted string of `key` from line[i], just after its opening quote, with its escapes
// (\" \\ \xNN) taken; i ends after the closing quote.
std::string quotedValue(std::string_view line, size_t &i, const std::string &key)
{
    const size_t n = line.size();
    std::string value;
    while (i < n) {
        char c = line[i++];
        if (c == '"') {
            if (i < n && !blank(line[i]) && line[i] != '#')
                fail("blank expected after the string of " + key + "=");
            return value;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (i == n)
            break;
        char e = line[i++];
        if (e == '"' || e == '\\') {
            value += e;
        } else if (e == 'x' && i + 1 < n && hexDigit(line[i]) >= 0 && hexDigit(line[i + 1]) >= 0) {
            value += static_cast<char>(hexDigit(line[i]) * 16 + hexDigit(line[i + 1]));
            i += 2;
        } else {
            fail("bad escape in " + key + "=");
        }
    }
    fail("unterminated string in " + key + "=");
}

// A value without quotes, up to the next blank or comment.
std::string bareValue(std::string_view line, size_t &i, const std::string &key)
{
    std::string value;
    while (i < line.size() && !blank(line[i]) && line[i] != '#') {
        if (line[i] == '"')
            fail("stray quote in " + key + "=");
        value += line[i++];
    }
    if (value.empty())
        fail("no value for " + key + "=");
    return value;
}

} // namespace

// Splits a line into its item name and words; an empty item means a blank or comment line.
void tokenize(std::string_view line, std::string &item, std::vector<Word> &words)
{
    size_t i = 0;
    const size_t n = line.size();
    auto skipBlanks = [&] {
        while (i < n && blank(line[i]))
            ++i;
    };
    skipBlanks();
    if (i == n || line[i] == '#')
        return;
    while (i < n && !blank(line[i]) && line[i] != '#')
        item += line[i++];
    if (item.find_first_of("=\"") != std::string::npos)
        fail("expected an item name, got '" + item + "'");
    for (;;) {
        skipBlanks();
        if (i == n || line[i] == '#')
            return;
        Word w;
        while (i < n && !blank(line[i]) && line[i] != '=' && line[i] != '#')
            w.key += line[i++];
        if (i == n || line[i] != '=')
            fail("expected key=value, got '" + w.key + "'");
        if (w.key.empty())
            fail("word without a name");
        ++i;
        if (i < n && line[i] == '"')
            w.value = quotedValue(line, ++i, w.key);
        else
            w.value = bareValue(line, i, w.key);
        for (const Word &other : words)
            if (other.key == w.key)
                fail(w.key + "= given twice");
        words.push_back(std::move(w));
    }
}

bool parseNumber(const std::string &text, uint64_t &v)
{
    size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i == text.size())
        return false;
    v = 0;
    for (; i < text.size(); ++i) {
        int d = hexDigit(text[i]);
        if (d < 0 || d >= base)
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFull)
            return false;
    }
    return true;
}

uint32_t optNumber(Words &w, const char *key, uint32_t max, uint32_t fallback)
{
    const Word *word = w.find(key);
    return word ? Words::number(*word, max) : fallback;
}

bool flag(Words &w, const char *key) { return optNumber(w, key, 1, 0) != 0; }

DeviceId deviceId(const Word &w)
{
    DeviceId id = Words::number(w, 0xFFFFFFFFu);
    if (!qvl_valid_id(id))
        fail(w.key + "=" + w.value + " is no device identifier");
    return id;
}

} // namespace qvlsim::scenario
