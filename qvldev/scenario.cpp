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
//
// This file is the parser; scenarioWords.cpp the tokenizer, scenarioPrint.cpp the printer,
// scenarioDemo.cpp the demo system.
#include "scenario.h"

#include <cstring>
#include <memory>
#include <vector>

#include "scenarioWords.h"

namespace qvlsim {

using namespace scenario;

namespace {

bool idTaken(SimState &s, DeviceId id) { return findDisk(s, id) || findArray(s, id); }

const char kPluggedModel[] = "QVD-4080 ATA DISK";

// controller=, channel= and position=, which must name a free position of the system.
void readPlace(Words &w, const SimState &s, SimDisk &d)
{
    d.controller = static_cast<uint8_t>(Words::number(w.need("controller"), 255));
    d.channel = static_cast<uint8_t>(Words::number(w.need("channel"), 255));
    d.position = static_cast<uint8_t>(Words::number(w.need("position"), 1));
    if (d.controller >= s.controllerCount)
        fail("controller " + std::to_string(d.controller) + " out of range (" + std::to_string(s.controllerCount) +
             " controllers)");
    const SimController &c = s.controllers[d.controller];
    if (d.channel >= c.channelCount)
        fail("channel " + std::to_string(d.channel) + " out of range for controller " + std::to_string(d.controller) +
             " (" + std::to_string(c.channelCount) + " channels)");
    for (uint32_t i = 0; i < s.diskCount; ++i) {
        const SimDisk &o = s.disks[i];
        if (o.controller == d.controller && o.channel == d.channel && o.position == d.position)
            fail("position " + std::to_string(d.controller) + "/" + std::to_string(d.channel) + "/" +
                 std::to_string(d.position) + " taken by " + hex(o.id));
    }
}

// type=hdd|cdrom|tape|N, a hard disk when left out.
uint8_t deviceType(Words &w)
{
    const Word *t = w.find("type");
    if (!t)
        return QVL_DEVTYPE_HDD;
    if (t->value == "hdd")
        return QVL_DEVTYPE_HDD;
    if (t->value == "cdrom")
        return QVL_DEVTYPE_CDROM;
    if (t->value == "tape")
        return QVL_DEVTYPE_TAPE;
    return static_cast<uint8_t>(Words::number(*t, 255));
}

// Fills a disk from its words and checks it against the system; plugged disks may leave out id=
// and model=.
SimDisk readDisk(Words &w, SimState &s, bool plugged)
{
    SimDisk d{};
    const Word *idWord = w.find("id");
    if (idWord) {
        d.id = deviceId(*idWord);
        if (idTaken(s, d.id))
            fail("duplicate id " + hex(d.id));
    } else if (!plugged) {
        fail("disk needs id=");
    }
    readPlace(w, s, d);
    d.deviceType = deviceType(w);
    d.capacity = optNumber(w, "capacity", 0xFFFFFFFFu, 0);
    d.transferMode = static_cast<uint8_t>(optNumber(w, "mode", 255, 0));
    std::memset(d.model, ' ', sizeof d.model);
    if (const Word *m = w.find("model"))
        Words::text(*m, d.model, sizeof d.model, sizeof d.model, ' ');
    else if (plugged)
        std::memcpy(d.model, kPluggedModel, sizeof kPluggedModel - 1); // a real disk names itself
    if (const Word *r = w.find("revision"))
        Words::text(*r, d.revision, sizeof d.revision, sizeof d.revision);
    d.status = optNumber(w, "status", 0xFFFFFFFFu, 0);
    if (flag(w, "bootable"))
        d.status |= QVL_DISK_BOOTABLE;
    if (flag(w, "rack"))
        d.status |= QVL_DISK_IN_RACK;
    if (flag(w, "spare"))
        d.status |= QVL_DISK_SPARE;
    if (flag(w, "disabled"))
        d.status |= QVL_DISK_DISABLED;
    d.busy = flag(w, "busy");
    d.pending = flag(w, "pending") || plugged;
    optParent(w, d);
    optFail(w, d);
    w.checkAllUsed();
    if (s.diskCount >= kMaxDisks)
        fail("too many disks");
    if (!idWord)
        d.id = freshId(s);
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
        if (item.empty())
            return;
        Words w(item, std::move(list));
        if (plugMode_ && item != "disk")
            fail("only disk words can be plugged");
        if (item == "capabilities")
            capabilities(w);
        else if (item == "controller")
            controller(w);
        else if (item == "channel")
            channel(w);
        else if (item == "disk")
            disk(w);
        else if (item == "array")
            array(w, lineNo);
        else
            fail("unknown item '" + item + "'");
    }

    // Checks and completes what may refer forward: array members and capacities.
    void finish(int &lineNo)
    {
        for (const ArrayLine &a : arrays_) {
            lineNo = a.line;
            const SimArray &arr = s_.arrays[a.index];
            for (uint32_t m = 0; m < arr.memberCount; ++m) {
                DeviceId id = arr.members[m];
                if (!idTaken(s_, id))
                    fail("member " + hex(id) + " not found");
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
        if (SimDisk *d = findDisk(s_, id))
            return d->capacity;
        SimArray *a = findArray(s_, id);
        if (!a)
            return 0;
        for (const ArrayLine &l : arrays_)
            if (&s_.arrays[l.index] == a && l.capacityGiven)
                return a->capacity;
        return computedCapacity(*a, depth + 1);
    }

    // Member loops are legal, so the depth is bounded.
    uint64_t computedCapacity(const SimArray &a, int depth)
    {
        if (depth > 16 || a.memberCount == 0)
            return 0;
        uint64_t sum = 0, least = UINT64_MAX;
        for (uint32_t m = 0; m < a.memberCount; ++m) {
            uint64_t c = capacityOf(a.members[m], depth);
            sum += c;
            if (c < least)
                least = c;
        }
        uint64_t n = a.memberCount;
        switch (a.raidType) {
        case QVL_RAID0:
            return least * n;
        case QVL_RAID1:
            return least;
        case QVL_RAID5:
            return n > 1 ? least * (n - 1) : least;
        default:
            return sum;
        }
    }

    void capabilities(Words &w)
    {
        if (capsSeen_)
            fail("capabilities given twice");
        capsSeen_ = true;
        DriverCapabilities &c = s_.caps;
        if (const Word *v = w.find("version"))
            s_.version = Words::signedNumber(*v);
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
            for (size_t i = 0; i < v.size(); ++i)
                c.typeCodes[i] = static_cast<uint8_t>(v[i]);
            s_.typeCount = static_cast<uint32_t>(v.size());
        }
        if (const Word *l = w.find("limits")) {
            auto v = Words::list(*l, kMaxTypes, 255, "limits");
            std::memset(c.typeLimits, 0, sizeof c.typeLimits);
            for (size_t i = 0; i < v.size(); ++i)
                c.typeLimits[i] = static_cast<uint8_t>(v[i]);
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
        if (const Word *p = w.find("product"))
            Words::text(*p, c.product, sizeof c.product, sizeof c.product - 1);
        if (const Word *m = w.find("manufacturer"))
            Words::text(*m, c.manufacturer, sizeof c.manufacturer, sizeof c.manufacturer - 1);
        optFail(w, c);
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
        if (h.described)
            fail("channel " + std::to_string(ci) + "/" + std::to_string(hi) + " given twice");
        h.ioPort = optNumber(w, "io", 0xFFFFFFFFu, 0);
        h.controlPort = optNumber(w, "control", 0xFFFFFFFFu, 0);
        optFail(w, h);
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
        if (idTaken(s_, a.id))
            fail("duplicate id " + hex(a.id));
        if (const Word *n = w.find("name"))
            Words::text(*n, a.name, sizeof a.name, sizeof a.name);
        if (const Word *t = w.find("text"))
            Words::text(*t, a.text, sizeof a.text, sizeof a.text - 1);
        a.status = optNumber(w, "status", 0xFFFFFFFFu, 0);
        const Word *level = w.find("level");
        const Word *code = w.find("raid_code");
        if (level && code)
            fail("level= and raid_code= together");
        if (level) {
            const std::string &v = level->value;
            if (v == "0")
                a.raidType = QVL_RAID0;
            else if (v == "1")
                a.raidType = QVL_RAID1;
            else if (v == "1.5") {
                a.raidType = QVL_RAID1;
                a.status |= QVL_ARRAY_RAID15;
            } else if (v == "5")
                a.raidType = QVL_RAID5;
            else if (v == "jbod")
                a.raidType = QVL_JBOD;
            else
                fail("unknown level '" + v + "'");
        } else if (code) {
            a.raidType = static_cast<uint8_t>(Words::number(*code, 255));
        } else {
            fail("array needs level= or raid_code=");
        }
        a.blockSizeCode = static_cast<uint8_t>(optNumber(w, "block", 255, 0));
        if (const Word *m = w.find("members")) {
            auto v = Words::list(*m, QVL_MAX_MEMBERS, 0xFFFFFFFFu, "members");
            for (size_t i = 0; i < v.size(); ++i)
                a.members[i] = v[i];
            a.memberCount = static_cast<uint8_t>(v.size());
        }
        a.progress = optNumber(w, "progress", 0xFFFFFFFFu, 0);
        const Word *cap = w.find("capacity");
        if (cap)
            a.capacity = Words::number(*cap, 0xFFFFFFFFu);
        optParent(w, a);
        optFail(w, a);
        w.checkAllUsed();
        if (s_.arrayCount >= kMaxArrays)
            fail("too many arrays (max " + std::to_string(kMaxArrays) + ")");
        arrays_.push_back({s_.arrayCount, lineNo, cap != nullptr});
        s_.arrays[s_.arrayCount++] = a;
    }

    SimState &s_;
    bool plugMode_;
    bool capsSeen_ = false;
    std::vector<ArrayLine> arrays_;
};

} // namespace

bool parseScenario(std::string_view text, const char *source, SimState &out, std::string &error)
{
    initEmpty(out);
    Parser parser(out, false);
    int lineNo = 0;
    try {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
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

} // namespace qvlsim
