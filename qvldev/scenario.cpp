// Scenario files: the text form of a simulated system.
//
//   file     = { line }                     one item per line; blank lines are ignored
//   line     = item { word } [ comment ]    comment = "#" to the end of the line
//   word     = key "=" ( bare | quoted )    bare: up to the next blank; no quote inside
//   quoted   = '"' { char | \" | \\ | \xNN } '"'
//   number   = decimal | 0x hex             fail= and version= may also be negative
//   list     = number { "," number }
//
// Items and their words ([] = optional, defaults 0 or empty):
//   capabilities [version=N] [max_controllers=N] [features=N] [flag_a=N] [value_c=N]
//                [value_d=N] [flag_b=N] [value_e=N] [types=LIST] [limits=LIST]   (at most once)
//   controller   chip=N irq=N channels=N(<=32) [product="" manufacturer=""] [fail=CODE]
//                index = order of appearance, at most 16
//   channel      controller=C index=H [io=N] [control=N] [fail=CODE]
//   disk         id=N controller=C channel=H position=0|1 [type=hdd|cdrom|tape|N]
//                [capacity=N] [mode=N] [model="" (40)] [revision="" (8)] [status=N]
//                [bootable=1] [rack=1] [spare=1] [disabled=1] [busy=1] [pending=1]
//                [parent=ID] [fail=CODE]
//   array        id=N [name="" (16)] level=0|1|1.5|5|jbod | raid_code=N [block=N] [status=N]
//                [members=ID,...(<=8)] [progress=N] [text="" (83)] [capacity=N]
//                [parent=ID] [fail=CODE]
// A member's parent is the array that lists it unless parent= names something else (anything,
// loops included: hostile driver data is part of what the console is tested with). Members may
// be named before they are described. An array without capacity= gets one from its members.
#include "scenario.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace qvlsim {
namespace {

struct ParseError {
    std::string reason;
};

[[noreturn]] void fail(std::string reason) { throw ParseError{std::move(reason)}; }

std::string hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
    return buf;
}

struct Word {
    std::string key;
    std::string value;
    bool used = false;
};

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Splits a line into its item name and words; an empty item means a blank or comment line.
void tokenize(std::string_view line, std::string &item, std::vector<Word> &words)
{
    size_t i = 0;
    const size_t n = line.size();
    auto skipBlanks = [&] {
        while (i < n && blank(line[i])) ++i;
    };
    skipBlanks();
    if (i == n || line[i] == '#') return;
    while (i < n && !blank(line[i]) && line[i] != '#') item += line[i++];
    if (item.find_first_of("=\"") != std::string::npos) fail("expected an item name, got '" + item + "'");
    for (;;) {
        skipBlanks();
        if (i == n || line[i] == '#') return;
        Word w;
        while (i < n && !blank(line[i]) && line[i] != '=' && line[i] != '#') w.key += line[i++];
        if (i == n || line[i] != '=') fail("expected key=value, got '" + w.key + "'");
        if (w.key.empty()) fail("word without a name");
        ++i;
        if (i < n && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    w.value += c;
                    continue;
                }
                if (i == n) break;
                char e = line[i++];
                if (e == '"' || e == '\\') {
                    w.value += e;
                } else if (e == 'x' && i + 1 < n && hexDigit(line[i]) >= 0 && hexDigit(line[i + 1]) >= 0) {
                    w.value += static_cast<char>(hexDigit(line[i]) * 16 + hexDigit(line[i + 1]));
                    i += 2;
                } else {
                    fail("bad escape in " + w.key + "=");
                }
            }
            if (!closed) fail("unterminated string in " + w.key + "=");
            if (i < n && !blank(line[i]) && line[i] != '#') fail("blank expected after the string of " + w.key + "=");
        } else {
            while (i < n && !blank(line[i]) && line[i] != '#') {
                if (line[i] == '"') fail("stray quote in " + w.key + "=");
                w.value += line[i++];
            }
            if (w.value.empty()) fail("no value for " + w.key + "=");
        }
        for (const Word &other : words)
            if (other.key == w.key) fail(w.key + "= given twice");
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
    if (i == text.size()) return false;
    v = 0;
    for (; i < text.size(); ++i) {
        int d = hexDigit(text[i]);
        if (d < 0 || d >= base) return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) return false;
    }
    return true;
}

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
            if (w.key == key) return true;
        return false;
    }
    const Word &need(const char *key)
    {
        const Word *w = find(key);
        if (!w) fail(item_ + " needs " + key + "=");
        return *w;
    }
    void checkAllUsed() const
    {
        for (const Word &w : words_)
            if (!w.used) fail("unknown word '" + w.key + "' for " + item_);
    }

    static uint32_t number(const Word &w, uint32_t max)
    {
        uint64_t v;
        if (!parseNumber(w.value, v)) fail("bad number '" + w.value + "' for " + w.key + "=");
        if (v > max) fail(w.key + "=" + w.value + " out of range (max " + std::to_string(max) + ")");
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
            if (v > 0x80000000ull) fail(w.key + "=" + w.value + " out of range");
            return static_cast<int32_t>(-static_cast<int64_t>(v));
        }
        bool isHex = w.value.size() > 2 && (w.value[1] == 'x' || w.value[1] == 'X');
        if (v > 0x7FFFFFFFull && !isHex) fail(w.key + "=" + w.value + " out of range");
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
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        if (out.size() > maxCount) fail("more than " + std::to_string(maxCount) + " " + what);
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

uint32_t optNumber(Words &w, const char *key, uint32_t max, uint32_t fallback)
{
    const Word *word = w.find(key);
    return word ? Words::number(*word, max) : fallback;
}

bool flag(Words &w, const char *key) { return optNumber(w, key, 1, 0) != 0; }

DeviceId deviceId(const Word &w)
{
    DeviceId id = Words::number(w, 0xFFFFFFFFu);
    if (!qvl_valid_id(id)) fail(w.key + "=" + w.value + " is no device identifier");
    return id;
}

bool idTaken(SimState &s, DeviceId id) { return findDisk(s, id) || findArray(s, id); }

const char kPluggedModel[] = "QVD-4080 ATA DISK";

// Fills a disk from its words and checks it against the system; plugged disks may leave out id=
// and model=.
SimDisk readDisk(Words &w, SimState &s, bool plugged)
{
    SimDisk d{};
    const Word *idWord = w.find("id");
    if (idWord) {
        d.id = deviceId(*idWord);
        if (idTaken(s, d.id)) fail("duplicate id " + hex(d.id));
    } else if (!plugged) {
        fail("disk needs id=");
    }
    d.controller = static_cast<uint8_t>(Words::number(w.need("controller"), 255));
    d.channel = static_cast<uint8_t>(Words::number(w.need("channel"), 255));
    d.position = static_cast<uint8_t>(Words::number(w.need("position"), 1));
    if (d.controller >= s.controllerCount)
        fail("controller " + std::to_string(d.controller) + " out of range (" +
             std::to_string(s.controllerCount) + " controllers)");
    const SimController &c = s.controllers[d.controller];
    if (d.channel >= c.channelCount)
        fail("channel " + std::to_string(d.channel) + " out of range for controller " +
             std::to_string(d.controller) + " (" + std::to_string(c.channelCount) + " channels)");
    for (uint32_t i = 0; i < s.diskCount; ++i) {
        const SimDisk &o = s.disks[i];
        if (o.controller == d.controller && o.channel == d.channel && o.position == d.position)
            fail("position " + std::to_string(d.controller) + "/" + std::to_string(d.channel) + "/" +
                 std::to_string(d.position) + " taken by " + hex(o.id));
    }
    if (const Word *t = w.find("type")) {
        if (t->value == "hdd") d.deviceType = QVL_DEVTYPE_HDD;
        else if (t->value == "cdrom") d.deviceType = QVL_DEVTYPE_CDROM;
        else if (t->value == "tape") d.deviceType = QVL_DEVTYPE_TAPE;
        else d.deviceType = static_cast<uint8_t>(Words::number(*t, 255));
    } else {
        d.deviceType = QVL_DEVTYPE_HDD;
    }
    d.capacity = optNumber(w, "capacity", 0xFFFFFFFFu, 0);
    d.transferMode = static_cast<uint8_t>(optNumber(w, "mode", 255, 0));
    std::memset(d.model, ' ', sizeof d.model);
    if (const Word *m = w.find("model")) Words::text(*m, d.model, sizeof d.model, sizeof d.model, ' ');
    else if (plugged) std::memcpy(d.model, kPluggedModel, sizeof kPluggedModel - 1); // a real disk names itself
    if (const Word *r = w.find("revision")) Words::text(*r, d.revision, sizeof d.revision, sizeof d.revision);
    d.status = optNumber(w, "status", 0xFFFFFFFFu, 0);
    if (flag(w, "bootable")) d.status |= QVL_DISK_BOOTABLE;
    if (flag(w, "rack")) d.status |= QVL_DISK_IN_RACK;
    if (flag(w, "spare")) d.status |= QVL_DISK_SPARE;
    if (flag(w, "disabled")) d.status |= QVL_DISK_DISABLED;
    d.busy = flag(w, "busy");
    d.pending = flag(w, "pending") || plugged;
    if (const Word *p = w.find("parent")) {
        d.parentSet = 1;
        d.parent = Words::number(*p, 0xFFFFFFFFu);
    }
    if (const Word *f = w.find("fail")) {
        d.hasFail = 1;
        d.fail = Words::signedNumber(*f);
    }
    w.checkAllUsed();
    if (s.diskCount >= kMaxDisks) fail("too many disks");
    if (!idWord) d.id = freshId(s);
    return d;
}

struct ArrayLine {
    uint32_t index;
    int line;
    bool capacityGiven;
};

class Parser {
public:
    Parser(SimState &s, bool plugMode) : s_(s), plugMode_(plugMode) {}

    void line(std::string_view text, int lineNo)
    {
        std::string item;
        std::vector<Word> list;
        tokenize(text, item, list);
        if (item.empty()) return;
        Words w(item, std::move(list));
        if (plugMode_ && item != "disk") fail("only disk words can be plugged");
        if (item == "capabilities") capabilities(w);
        else if (item == "controller") controller(w);
        else if (item == "channel") channel(w);
        else if (item == "disk") disk(w);
        else if (item == "array") array(w, lineNo);
        else fail("unknown item '" + item + "'");
    }

    // Checks and completes what may refer forward: array members and capacities.
    void finish(int &lineNo)
    {
        for (const ArrayLine &a : arrays_) {
            lineNo = a.line;
            const SimArray &arr = s_.arrays[a.index];
            for (uint32_t m = 0; m < arr.memberCount; ++m) {
                DeviceId id = arr.members[m];
                if (!idTaken(s_, id)) fail("member " + hex(id) + " not found");
                for (const ArrayLine &b : arrays_) {
                    const SimArray &other = s_.arrays[b.index];
                    for (uint32_t k = 0; k < other.memberCount; ++k) {
                        bool same = b.index == a.index && k == m;
                        bool earlier = b.index < a.index || (b.index == a.index && k < m);
                        if (!same && earlier && other.members[k] == id)
                            fail(hex(id) + " is already a member of " + hex(other.id));
                    }
                }
            }
        }
        for (const ArrayLine &a : arrays_)
            if (!a.capacityGiven) {
                uint64_t c = computedCapacity(s_.arrays[a.index], 0);
                s_.arrays[a.index].capacity = c > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(c);
            }
    }

    DeviceId plugged = QVL_NO_DEVICE;

private:
    uint64_t capacityOf(DeviceId id, int depth)
    {
        if (SimDisk *d = findDisk(s_, id)) return d->capacity;
        SimArray *a = findArray(s_, id);
        if (!a) return 0;
        for (const ArrayLine &l : arrays_)
            if (&s_.arrays[l.index] == a && l.capacityGiven) return a->capacity;
        return computedCapacity(*a, depth + 1);
    }

    // Member loops are legal, so the depth is bounded.
    uint64_t computedCapacity(const SimArray &a, int depth)
    {
        if (depth > 16 || a.memberCount == 0) return 0;
        uint64_t sum = 0, least = UINT64_MAX;
        for (uint32_t m = 0; m < a.memberCount; ++m) {
            uint64_t c = capacityOf(a.members[m], depth);
            sum += c;
            if (c < least) least = c;
        }
        uint64_t n = a.memberCount;
        switch (a.raidType) {
        case QVL_RAID0: return least * n;
        case QVL_RAID1: return least;
        case QVL_RAID5: return n > 1 ? least * (n - 1) : least;
        default: return sum;
        }
    }

    void capabilities(Words &w)
    {
        if (capsSeen_) fail("capabilities given twice");
        capsSeen_ = true;
        DriverCapabilities &c = s_.caps;
        if (const Word *v = w.find("version")) s_.version = Words::signedNumber(*v);
        c.maxControllers = static_cast<uint8_t>(optNumber(w, "max_controllers", 255, c.maxControllers));
        c.features = static_cast<uint8_t>(optNumber(w, "features", 255, c.features));
        c.flagA = static_cast<uint8_t>(optNumber(w, "flag_a", 255, c.flagA));
        c.valueC = static_cast<uint8_t>(optNumber(w, "value_c", 255, c.valueC));
        c.valueD = static_cast<uint8_t>(optNumber(w, "value_d", 255, c.valueD));
        c.flagB = static_cast<uint8_t>(optNumber(w, "flag_b", 255, c.flagB));
        c.valueE = static_cast<uint8_t>(optNumber(w, "value_e", 255, c.valueE));
        if (const Word *t = w.find("types")) {
            auto v = Words::list(*t, kMaxTypes, 255, "types");
            std::memset(c.typeCodes, 0, sizeof c.typeCodes);
            for (size_t i = 0; i < v.size(); ++i) c.typeCodes[i] = static_cast<uint8_t>(v[i]);
            s_.typeCount = static_cast<uint32_t>(v.size());
        }
        if (const Word *l = w.find("limits")) {
            auto v = Words::list(*l, kMaxTypes, 255, "limits");
            std::memset(c.typeLimits, 0, sizeof c.typeLimits);
            for (size_t i = 0; i < v.size(); ++i) c.typeLimits[i] = static_cast<uint8_t>(v[i]);
            s_.limitCount = static_cast<uint32_t>(v.size());
        }
        w.checkAllUsed();
    }

    void controller(Words &w)
    {
        SimController c{};
        c.chipCode = static_cast<uint8_t>(Words::number(w.need("chip"), 255));
        c.irq = static_cast<uint8_t>(Words::number(w.need("irq"), 255));
        c.channelCount = static_cast<uint8_t>(Words::number(w.need("channels"), kMaxChannels));
        if (const Word *p = w.find("product")) Words::text(*p, c.product, sizeof c.product, sizeof c.product - 1);
        if (const Word *m = w.find("manufacturer"))
            Words::text(*m, c.manufacturer, sizeof c.manufacturer, sizeof c.manufacturer - 1);
        if (const Word *f = w.find("fail")) {
            c.hasFail = 1;
            c.fail = Words::signedNumber(*f);
        }
        w.checkAllUsed();
        if (s_.controllerCount >= kMaxControllers)
            fail("too many controllers (max " + std::to_string(kMaxControllers) + ")");
        s_.controllers[s_.controllerCount++] = c;
    }

    void channel(Words &w)
    {
        uint32_t ci = Words::number(w.need("controller"), 255);
        uint32_t hi = Words::number(w.need("index"), 255);
        if (ci >= s_.controllerCount)
            fail("controller " + std::to_string(ci) + " out of range (" + std::to_string(s_.controllerCount) +
                 " controllers)");
        SimController &c = s_.controllers[ci];
        if (hi >= c.channelCount)
            fail("channel " + std::to_string(hi) + " out of range for controller " + std::to_string(ci) + " (" +
                 std::to_string(c.channelCount) + " channels)");
        SimChannel &h = c.channels[hi];
        if (h.described) fail("channel " + std::to_string(ci) + "/" + std::to_string(hi) + " given twice");
        h.ioPort = optNumber(w, "io", 0xFFFFFFFFu, 0);
        h.controlPort = optNumber(w, "control", 0xFFFFFFFFu, 0);
        if (const Word *f = w.find("fail")) {
            h.hasFail = 1;
            h.fail = Words::signedNumber(*f);
        }
        w.checkAllUsed();
        h.described = 1;
    }

    void disk(Words &w)
    {
        SimDisk d = readDisk(w, s_, plugMode_);
        s_.disks[s_.diskCount++] = d;
        plugged = d.id;
    }

    void array(Words &w, int lineNo)
    {
        SimArray a{};
        a.id = deviceId(w.need("id"));
        if (idTaken(s_, a.id)) fail("duplicate id " + hex(a.id));
        if (const Word *n = w.find("name")) Words::text(*n, a.name, sizeof a.name, sizeof a.name);
        if (const Word *t = w.find("text")) Words::text(*t, a.text, sizeof a.text, sizeof a.text - 1);
        a.status = optNumber(w, "status", 0xFFFFFFFFu, 0);
        const Word *level = w.find("level");
        const Word *code = w.find("raid_code");
        if (level && code) fail("level= and raid_code= together");
        if (level) {
            const std::string &v = level->value;
            if (v == "0") a.raidType = QVL_RAID0;
            else if (v == "1") a.raidType = QVL_RAID1;
            else if (v == "1.5") {
                a.raidType = QVL_RAID1;
                a.status |= QVL_ARRAY_RAID15;
            } else if (v == "5") a.raidType = QVL_RAID5;
            else if (v == "jbod") a.raidType = QVL_JBOD;
            else fail("unknown level '" + v + "'");
        } else if (code) {
            a.raidType = static_cast<uint8_t>(Words::number(*code, 255));
        } else {
            fail("array needs level= or raid_code=");
        }
        a.blockSizeCode = static_cast<uint8_t>(optNumber(w, "block", 255, 0));
        if (const Word *m = w.find("members")) {
            auto v = Words::list(*m, QVL_MAX_MEMBERS, 0xFFFFFFFFu, "members");
            for (size_t i = 0; i < v.size(); ++i) a.members[i] = v[i];
            a.memberCount = static_cast<uint8_t>(v.size());
        }
        a.progress = optNumber(w, "progress", 0xFFFFFFFFu, 0);
        const Word *cap = w.find("capacity");
        if (cap) a.capacity = Words::number(*cap, 0xFFFFFFFFu);
        if (const Word *p = w.find("parent")) {
            a.parentSet = 1;
            a.parent = Words::number(*p, 0xFFFFFFFFu);
        }
        if (const Word *f = w.find("fail")) {
            a.hasFail = 1;
            a.fail = Words::signedNumber(*f);
        }
        w.checkAllUsed();
        if (s_.arrayCount >= kMaxArrays) fail("too many arrays (max " + std::to_string(kMaxArrays) + ")");
        arrays_.push_back({s_.arrayCount, lineNo, cap != nullptr});
        s_.arrays[s_.arrayCount++] = a;
    }

    SimState &s_;
    bool plugMode_;
    bool capsSeen_ = false;
    std::vector<ArrayLine> arrays_;
};

void appendText(std::string &out, const char *key, const char *field, size_t size, char pad)
{
    size_t n = size;
    while (n > 0 && field[n - 1] == pad) --n;
    out += ' ';
    out += key;
    out += "=\"";
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

void appendNumber(std::string &out, const char *key, uint32_t v, bool asHex = false)
{
    out += ' ';
    out += key;
    out += '=';
    out += asHex ? hex(v) : std::to_string(v);
}

void appendList(std::string &out, const char *key, const uint8_t *v, uint32_t n, bool asHex)
{
    if (n == 0) return;
    out += ' ';
    out += key;
    out += '=';
    for (uint32_t i = 0; i < n; ++i) {
        if (i) out += ',';
        out += asHex ? hex(v[i]) : std::to_string(v[i]);
    }
}

void appendFail(std::string &out, uint8_t hasFail, int32_t code)
{
    if (hasFail) out += " fail=" + std::to_string(code);
}

}  // namespace

bool parseScenario(std::string_view text, const char *source, SimState &out, std::string &error)
{
    initEmpty(out);
    Parser parser(out, false);
    int lineNo = 0;
    try {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            ++lineNo;
            parser.line(text.substr(start, end - start), lineNo);
            start = end + 1;
        }
        parser.finish(lineNo);
    } catch (const ParseError &e) {
        error = std::string(source ? source : "scenario") + ":" + std::to_string(lineNo) + ": " + e.reason;
        return false;
    }
    out.nextId = freshId(out);
    return true;
}

bool plugDisk(std::string_view words, SimState &s, DeviceId &id, std::string &error)
{
    if (words.find('\n') != std::string_view::npos) {
        error = "disk words must be on one line";
        return false;
    }
    Parser parser(s, true);
    try {
        parser.line("disk " + std::string(words), 1);
    } catch (const ParseError &e) {
        error = e.reason;
        return false;
    }
    id = parser.plugged;
    return true;
}

std::string printScenario(const SimState &s)
{
    std::string out = "# Quorvel simulated RAID system\n";
    const DriverCapabilities &c = s.caps;
    out += "capabilities version=" + hex(static_cast<uint32_t>(s.version));
    appendNumber(out, "max_controllers", c.maxControllers);
    appendNumber(out, "features", c.features, true);
    appendNumber(out, "flag_a", c.flagA);
    appendNumber(out, "value_c", c.valueC);
    appendNumber(out, "value_d", c.valueD);
    appendNumber(out, "flag_b", c.flagB);
    appendNumber(out, "value_e", c.valueE);
    appendList(out, "types", c.typeCodes, s.typeCount, true);
    appendList(out, "limits", c.typeLimits, s.limitCount, false);
    out += '\n';
    for (uint32_t i = 0; i < s.controllerCount; ++i) {
        const SimController &k = s.controllers[i];
        out += "controller";
        appendNumber(out, "chip", k.chipCode);
        appendNumber(out, "irq", k.irq);
        appendNumber(out, "channels", k.channelCount);
        appendText(out, "product", k.product, sizeof k.product, '\0');
        appendText(out, "manufacturer", k.manufacturer, sizeof k.manufacturer, '\0');
        appendFail(out, k.hasFail, k.fail);
        out += '\n';
        for (uint32_t h = 0; h < k.channelCount; ++h) {
            const SimChannel &ch = k.channels[h];
            if (!ch.described) continue;
            out += "channel";
            appendNumber(out, "controller", i);
            appendNumber(out, "index", h);
            appendNumber(out, "io", ch.ioPort, true);
            appendNumber(out, "control", ch.controlPort, true);
            appendFail(out, ch.hasFail, ch.fail);
            out += '\n';
        }
    }
    for (uint32_t i = 0; i < s.diskCount; ++i) {
        const SimDisk &d = s.disks[i];
        out += "disk";
        appendNumber(out, "id", d.id, true);
        appendNumber(out, "controller", d.controller);
        appendNumber(out, "channel", d.channel);
        appendNumber(out, "position", d.position);
        switch (d.deviceType) {
        case QVL_DEVTYPE_HDD: out += " type=hdd"; break;
        case QVL_DEVTYPE_CDROM: out += " type=cdrom"; break;
        case QVL_DEVTYPE_TAPE: out += " type=tape"; break;
        default: appendNumber(out, "type", d.deviceType); break;
        }
        appendNumber(out, "capacity", d.capacity);
        appendNumber(out, "mode", d.transferMode);
        appendText(out, "model", d.model, sizeof d.model, ' ');
        appendText(out, "revision", d.revision, sizeof d.revision, '\0');
        const uint32_t named = QVL_DISK_BOOTABLE | QVL_DISK_IN_RACK | QVL_DISK_SPARE | QVL_DISK_DISABLED;
        if (d.status & ~named) appendNumber(out, "status", d.status & ~named, true);
        if (d.status & QVL_DISK_BOOTABLE) out += " bootable=1";
        if (d.status & QVL_DISK_IN_RACK) out += " rack=1";
        if (d.status & QVL_DISK_SPARE) out += " spare=1";
        if (d.status & QVL_DISK_DISABLED) out += " disabled=1";
        if (d.busy) out += " busy=1";
        if (d.pending) out += " pending=1";
        if (d.parentSet) appendNumber(out, "parent", d.parent, true);
        appendFail(out, d.hasFail, d.fail);
        out += '\n';
    }
    for (uint32_t i = 0; i < s.arrayCount; ++i) {
        const SimArray &a = s.arrays[i];
        out += "array";
        appendNumber(out, "id", a.id, true);
        appendText(out, "name", a.name, sizeof a.name, '\0');
        uint32_t status = a.status;
        switch (a.raidType) {
        case QVL_RAID0: out += " level=0"; break;
        case QVL_RAID1:
            if (status & QVL_ARRAY_RAID15) {
                out += " level=1.5";
                status &= ~QVL_ARRAY_RAID15;
            } else {
                out += " level=1";
            }
            break;
        case QVL_RAID5: out += " level=5"; break;
        case QVL_JBOD: out += " level=jbod"; break;
        default: appendNumber(out, "raid_code", a.raidType); break;
        }
        appendNumber(out, "block", a.blockSizeCode);
        if (status) appendNumber(out, "status", status, true);
        if (a.memberCount) {
            out += " members=";
            for (uint32_t m = 0; m < a.memberCount; ++m) {
                if (m) out += ',';
                out += hex(a.members[m]);
            }
        }
        appendNumber(out, "progress", a.progress);
        bool hasText = false;
        for (char ch : a.text) hasText = hasText || ch != '\0';
        if (hasText) appendText(out, "text", a.text, sizeof a.text, '\0');
        appendNumber(out, "capacity", a.capacity);
        if (a.parentSet) appendNumber(out, "parent", a.parent, true);
        appendFail(out, a.hasFail, a.fail);
        out += '\n';
    }
    return out;
}

// Revision bytes are stored as the drive reports them, in swapped pairs: ". 1 2 0 " reads 1.02.
const char kDemoScenario[] =
    "# Demo system: two controllers, a bootable mirror, a RAID 1/0, a disk in a drive rack,\n"
    "# a CD-ROM, a spare, and free positions to plug disks into.\n"
    "capabilities version=0x10002 max_controllers=4 features=0x09 flag_a=1 value_c=2 value_d=4 flag_b=1 value_e=8 types=0x01,0x02,0x03,0x07,0x12,0x21 limits=8,2,8,8,4,4\n"
    "controller chip=3 irq=11 channels=2 product=\"QV-2000 ATA RAID\" manufacturer=\"Quorvel\"\n"
    "channel controller=0 index=0 io=0xB800 control=0xB402\n"
    "channel controller=0 index=1 io=0xB000 control=0xAC02\n"
    "controller chip=5 irq=10 channels=4 product=\"QV-4000 ATA RAID\" manufacturer=\"Quorvel\"\n"
    "channel controller=1 index=0 io=0xD800 control=0xD402\n"
    "channel controller=1 index=1 io=0xD000 control=0xCC02\n"
    "channel controller=1 index=2 io=0xC800 control=0xC402\n"
    "channel controller=1 index=3 io=0xC000 control=0xBC02\n"
    "# The bootable mirror and its disks.\n"
    "disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 mode=13 model=\"QVD-4080 ATA DISK\" revision=\". 1 2 0 \" bootable=1\n"
    "disk id=0x102 controller=0 channel=1 position=0 capacity=78165360 mode=13 model=\"QVD-4080 ATA DISK\" revision=\". 1 2 0 \" bootable=1\n"
    "array id=0x201 name=\"System\" level=1 block=7 status=0x10 members=0x101,0x102\n"
    "disk id=0x103 controller=0 channel=0 position=1 type=cdrom mode=4 model=\"QV CD-ROM 52X\" revision=\". 2 0 1 \"\n"
    "disk id=0x104 controller=0 channel=1 position=1 capacity=78165360 mode=13 model=\"QVD-4080 ATA DISK\" revision=\". 1 2 0 \" spare=1\n"
    "# RAID 1/0: a stripe over two mirrors.\n"
    "disk id=0x111 controller=1 channel=0 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" revision=\". 3 0 1 \"\n"
    "disk id=0x112 controller=1 channel=1 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" revision=\". 3 0 1 \"\n"
    "disk id=0x113 controller=1 channel=2 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" revision=\". 3 0 1 \"\n"
    "disk id=0x114 controller=1 channel=3 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" revision=\". 3 0 1 \"\n"
    "array id=0x211 name=\"Mirror A\" level=1 block=7 members=0x111,0x112\n"
    "array id=0x212 name=\"Mirror B\" level=1 block=7 members=0x113,0x114\n"
    "array id=0x210 name=\"Data\" level=0 block=7 members=0x211,0x212\n"
    "# A single disk in a drive rack, ready to be unplugged; 1/1/1 and 1/3/1 stay free.\n"
    "disk id=0x115 controller=1 channel=2 position=1 capacity=117231408 mode=13 model=\"QVD-6120 ATA DISK\" revision=\". 1 0 5 \" rack=1\n";

}  // namespace qvlsim
