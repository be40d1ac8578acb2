#include "dmArt.h"

namespace qvl {

COLORREF ArtColour(char c)
{
    switch (c) {
    case 'k':
        return RGB(0, 0, 0);
    case 'd':
        return RGB(64, 64, 64);
    case 'm':
        return RGB(128, 128, 128);
    case 'l':
        return RGB(192, 192, 192);
    case 'w':
        return RGB(240, 240, 240); // light parts that must not turn transparent
    case 'e':
        return RGB(230, 220, 190); // beige case
    case 'G':
        return RGB(0, 100, 0);
    case 'g':
        return RGB(0, 160, 0);
    case 'L':
        return RGB(128, 255, 128);
    case 'y':
        return RGB(255, 220, 0);
    case 'o':
        return RGB(200, 150, 0);
    case 'r':
        return RGB(230, 0, 0);
    case 'R':
        return RGB(128, 0, 0);
    case 'p':
        return RGB(255, 160, 160);
    case 'b':
        return RGB(0, 64, 255);
    case 'B':
        return RGB(0, 0, 128);
    case 's':
        return RGB(96, 160, 224);
    case 'c':
        return RGB(160, 230, 255);
    case 'n':
        return RGB(128, 64, 0);
    default:
        return RGB(255, 255, 255);
    }
}

Bitmap RenderArt(const PixelArt &art)
{
    Bitmap bmp = CreatePicture(art.width, art.height, RGB(255, 255, 255));
    BitmapDC dc(bmp.get());
    for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < art.width; ++x)
            if (art.rows[y][x] != '.')
                SetPixelV(dc.get(), x, y, ArtColour(art.rows[y][x]));
    return bmp;
}

namespace art {
namespace {

// Controller: a green card with chips, its metal bracket on the left and gold contacts below.
const char *const controller[] = {
    "........................", "........................", "........................", "mm......................",
    "ml......................", "mlGGGGGGGGGGGGGGGGGGGGG.", "mlGgggggggggggggggggggG.", "mlGgkkkkkkgggggkkkkgggG.",
    "mlGgkddddkgggggkddkgygG.", "mlGgkddddkgggggkkkkgygG.", "mlGgkkkkkkggggggggggggG.", "mlGgggggggggggggggggggG.",
    "mlGgLgLgLgLgLgLgLgLgLgG.", "mlGgLgLgLgLgLgLgLgLgLgG.", "mlGgggggggggggggggggggG.", "mlGGGGGGGGGGGGGGGGGGGGG.",
    "ml...yoyoyoyoyoyoy......", "ml...yoyoyoyoyoyoy......", "mm......................", "........................",
    "........................", "........................", "........................", "........................",
};

// Channel: a grey ribbon cable (red first wire) with its three connectors.
const char *const channel[] = {
    "........................", "........................", "....kkkkkkkkkkkkkkkk....", "....kdydydydydydydyk....",
    "....kkkkkkkkkkkkkkkk....", ".......rlmlmlmlmlm......", ".......rlmlmlmlmlm......", ".......rlmlmlmlmlm......",
    ".......rlmlmlmlmlm......", ".......rlmlmlmlmlm......", "....kkkkkkkkkkkkkkkk....", "....kdydydydydydydyk....",
    "....kkkkkkkkkkkkkkkk....", ".......rlmlmlmlmlm......", ".......rlmlmlmlmlm......", ".......rlmlmlmlmlm......",
    ".......rlmlmlmlmlm......", ".......rlmlmlmlmlm......", "....kkkkkkkkkkkkkkkk....", "....kdydydydydydydyk....",
    "....kkkkkkkkkkkkkkkk....", "........................", "........................", "........................",
};

// The drive body shared by the device pictures: top face, front with slot and green lamp.
#define QVL_DRIVE_ROWS                                                                                                 \
    "....kkkkkkkkkkkkkkkkkkkk", "...kwwwwwwwwwwwwwwwwwkmk", "..kwwwwwwwwwwwwwwwwwkmmk", ".kkkkkkkkkkkkkkkkkkkkmmk",    \
        ".kllllllllllllllllllkmmk", ".kldddddddddddddllllkmmk", ".kllllllllllllllllllkmmk",                            \
        ".kllllllllllllllgGllkmk.", ".kllllllllllllllllllkk..", ".kkkkkkkkkkkkkkkkkkkk..."

const char *const hardDisk[] = {
    "........................", "........................", "........................", "........................",
    "........................", "........................", "........................", QVL_DRIVE_ROWS,
    "........................", "........................", "........................", "........................",
    "........................", "........................", "........................",
};

// CD-ROM: the drive with a disc above it.
const char *const cdRom[] = {
    "........kkkkkkkk........", "......kkwwwsswwwkk......", ".....kwwwwsscwwwwwk.....", "....kwwwwwsscwwwwwwk....",
    "....kwwwwwwkkwwwwwwk....", "....kwwwwwwkkwwwwwwk....", "....kwwwwwwcsswwwwwk....", ".....kwwwwwcsswwwwk.....",
    "......kkwwwwwwwwkk......", "........kkkkkkkk........", "........................", QVL_DRIVE_ROWS,
    "........................", "........................", "........................",
};

// Tape: a cassette with its label, two reels and the tape between them.
const char *const tape[] = {
    "........................", "........................", "........................", "........................",
    "........................", "........................", "..kkkkkkkkkkkkkkkkkkkk..", "..kddddddddddddddddddk..",
    "..kdyyyyyyyyyyyyyyyydk..", "..kdyyyyyyyyyyyyyyyydk..", "..kddddddddddddddddddk..", "..kdwwwwddddddddwwwwdk..",
    "..kdwkkwdnnnnnndwkkwdk..", "..kdwkkwdnnnnnndwkkwdk..", "..kdwwwwddddddddwwwwdk..", "..kddddddddddddddddddk..",
    "..kdddddkkkkkkkkdddddk..", "..kkkkkkkkkkkkkkkkkkkk..", "........................", "........................",
    "........................", "........................", "........................", "........................",
};

// A disk in a removable rack: the drive under a blue arrow pointing up, out of the bay.
const char *const rackDisk[] = {
    "...........bb...........", "..........bbbb..........", ".........bbbbbb.........", "........bbbbbbbb........",
    ".......bbbbbbbbbb.......", "..........bbbb..........", "..........bbbb..........", "..........bbbb..........",
    "..........bbbb..........", "........................", "........................", QVL_DRIVE_ROWS,
    "........................", "........................", "........................",
};

#undef QVL_DRIVE_ROWS

const char *const unknown[] = {
    "........................", "........................", ".........kkkkkk.........", ".......kkyyyyyykk.......",
    "......kyyyyyyyyyyk......", ".....kyyyykkkkyyyyk.....", ".....kyyyk....kyyyk.....", ".....kkkkk....kyyyk.....",
    "..............kyyyk.....", ".............kyyyk......", "............kyyyk.......", "...........kyyyk........",
    "..........kyyyk.........", "..........kyyyk.........", "..........kyyyk.........", "..........kkkkk.........",
    "........................", "..........kkkkk.........", "..........kyyyk.........", "..........kyyyk.........",
    "..........kkkkk.........", "........................", "........................", "........................",
};

// The system: a beige tower with drive bays, a floppy slot, a lamp and the power button.
const char *const tower[] = {
    "........................", ".......kkkkkkkkkk.......", ".......keeeeeeeekm......", ".......keddddddekm......",
    ".......kemmmmmmekm......", ".......keddddddekm......", ".......kemmmmmmekm......", ".......keeeeeeeekm......",
    ".......keeddddeekm......", ".......keeeeeeeekm......", ".......keeeeeeeekm......", ".......keeeeeeeekm......",
    ".......keeeeeeeekm......", ".......keeeeeeeekm......", ".......keeeeeeeekm......", ".......keeeeeegekm......",
    ".......keeeeeeeekm......", ".......keeeekkeekm......", ".......keeeekkeekm......", ".......keeeeeeeekm......",
    ".......kkkkkkkkkkm......", "........mmmmmmmmmm......", "......kkk.....kkk.......", "........................",
};

const char *const markDisabled[] = {
    "....RRRR....", "..RRrrrrRR..", ".RwwrrrrwwR.", ".RrwwrrwwrR.", "RrrrwwwwrrrR", "RrrrrwwrrrrR",
    "RrrrrwwrrrrR", "RrrrwwwwrrrR", ".RrwwrrwwrR.", ".RwwrrrrwwR.", "..RRrrrrRR..", "....RRRR....",
};

const char *const markSpare[] = {
    "......r.....", "......rr....", "rrrrrrrrr...", "rrrrrrrrr...", "......rr....", "......r.....",
    ".....b......", "....bb......", "...bbbbbbbbb", "...bbbbbbbbb", "....bb......", ".....b......",
};

const char *const markBootable[] = {
    "............", "kkkkkkkkkkk.", "klllllllllk.", "klssssssslk.", "klssssssslk.", "klssssssslk.",
    "klssssssslk.", "klllllllllk.", "kkkkkkkkkkk.", "....kkk.....", "..kkkkkkk...", "............",
};

const char *const markAttention[] = {
    "...kkkkkk...", "..kyyyyyyk..", ".kyyykkyyyk.", ".kkkk..kyyk.", "......kyyyk.", ".....kyyyk..",
    "....kyyyk...", "....kkkk....", "............", "....kkkk....", "....kyyk....", "....kkkk....",
};

// Rescan Devices: a controller card under a magnifying glass.
const char *const rescan[] = {
    "........................", "........................", "........................", "GGGGGGGGGGGGGGGGG.......",
    "GgggggggggggggggG.......", "GgkkkkkggkkkggggG.......", "GgkdddkggkkkggggG.......", "Ggkdddkggkkkkkkkk.......",
    "Ggkkkkkggggkkccckk......", "Ggggggggggkccwcccck.....", "Gggggggggkkcwccccckk....", "GgLgLgLgLkccwcccccck....",
    "Gggggggggkccccccccck....", "GGGGGGGGGkccccccccck....", "...y.y.y.kkccccccckk....", "...y.y.y.ykccccccck.....",
    "...........kkcccknn.....", "............kkkkknnn....", "..................nnn...", "...................nnn..",
    "....................nnn.", ".....................nnn", "......................nn", "........................",
};

// Unplug: a red plug, its pins up, its cable hanging down.
const char *const unplug[] = {
    "........................", "........................", "........................", "........ll..ll..........",
    "........mm..mm..........", "........mm..mm..........", "........mm..mm..........", "........mm..mm..........",
    "......RRRRRRRRRR........", "......RrrrrrrrrR........", "......RrpppppprR........", "......RrrrrrrrrR........",
    "......RrrrrrrrrR........", "......RrrrrrrrrR........", "......RrrrrrrrrR........", "......RrrrrrrrrR........",
    "......RrrrrrrrrR........", "......RRRRRRRRRR........", ".........RRRR...........", ".........RRRR...........",
    "..........kk............", "..........kk............", "..........kk............", "..........kk............",
};

} // namespace

const PixelArt Controller{24, 24, controller};
const PixelArt Channel{24, 24, channel};
const PixelArt HardDisk{24, 24, hardDisk};
const PixelArt CdRom{24, 24, cdRom};
const PixelArt Tape{24, 24, tape};
const PixelArt RackDisk{24, 24, rackDisk};
const PixelArt Unknown{24, 24, unknown};
const PixelArt System{24, 24, tower};
const PixelArt MarkDisabled{12, 12, markDisabled};
const PixelArt MarkSpare{12, 12, markSpare};
const PixelArt MarkBootable{12, 12, markBootable};
const PixelArt MarkAttention{12, 12, markAttention};
const PixelArt Rescan{24, 24, rescan};
const PixelArt Unplug{24, 24, unplug};

} // namespace art
} // namespace qvl
