// The built-in demo system: two controllers, a bootable mirror, a RAID 1/0, a CD-ROM, a spare
// and a single disk in a drive rack.
#include "scenario.h"

namespace qvlsim {

// Revision bytes are stored as the drive reports them, in swapped pairs: ". 1 2 0 " reads 1.02.
const char kDemoScenario[] =
    "# Demo system: two controllers, a bootable mirror, a RAID 1/0, a disk in a drive rack,\n"
    "# a CD-ROM, a spare, and free positions to plug disks into.\n"
    "capabilities version=0x10002 max_controllers=4 features=0x09 flag_a=1 value_c=2 value_d=4 flag_b=1 value_e=8 "
    "types=0x01,0x02,0x03,0x07,0x12,0x21 limits=8,2,8,8,4,4\n"
    "controller chip=3 irq=11 channels=2 product=\"QV-2000 ATA RAID\" manufacturer=\"Quorvel\"\n"
    "channel controller=0 index=0 io=0xB800 control=0xB402\n"
    "channel controller=0 index=1 io=0xB000 control=0xAC02\n"
    "controller chip=5 irq=10 channels=4 product=\"QV-4000 ATA RAID\" manufacturer=\"Quorvel\"\n"
    "channel controller=1 index=0 io=0xD800 control=0xD402\n"
    "channel controller=1 index=1 io=0xD000 control=0xCC02\n"
    "channel controller=1 index=2 io=0xC800 control=0xC402\n"
    "channel controller=1 index=3 io=0xC000 control=0xBC02\n"
    "# The bootable mirror and its disks.\n"
    "disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 mode=13 model=\"QVD-4080 ATA DISK\" "
    "revision=\". 1 2 0 \" bootable=1\n"
    "disk id=0x102 controller=0 channel=1 position=0 capacity=78165360 mode=13 model=\"QVD-4080 ATA DISK\" "
    "revision=\". 1 2 0 \" bootable=1\n"
    "array id=0x201 name=\"System\" level=1 block=7 status=0x10 members=0x101,0x102\n"
    "disk id=0x103 controller=0 channel=0 position=1 type=cdrom mode=4 model=\"QV CD-ROM 52X\" revision=\". 2 0 1 \"\n"
    "disk id=0x104 controller=0 channel=1 position=1 capacity=78165360 mode=13 model=\"QVD-4080 ATA DISK\" "
    "revision=\". 1 2 0 \" spare=1\n"
    "# RAID 1/0: a stripe over two mirrors.\n"
    "disk id=0x111 controller=1 channel=0 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" "
    "revision=\". 3 0 1 \"\n"
    "disk id=0x112 controller=1 channel=1 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" "
    "revision=\". 3 0 1 \"\n"
    "disk id=0x113 controller=1 channel=2 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" "
    "revision=\". 3 0 1 \"\n"
    "disk id=0x114 controller=1 channel=3 position=0 capacity=156301488 mode=14 model=\"QVD-8160 ATA DISK\" "
    "revision=\". 3 0 1 \"\n"
    "array id=0x211 name=\"Mirror A\" level=1 block=7 members=0x111,0x112\n"
    "array id=0x212 name=\"Mirror B\" level=1 block=7 members=0x113,0x114\n"
    "array id=0x210 name=\"Data\" level=0 block=7 members=0x211,0x212\n"
    "# A single disk in a drive rack, ready to be unplugged; 1/1/1 and 1/3/1 stay free.\n"
    "disk id=0x115 controller=1 channel=2 position=1 capacity=117231408 mode=13 model=\"QVD-6120 ATA DISK\" "
    "revision=\". 1 0 5 \" rack=1\n";

} // namespace qvlsim
