#include "serverMan.h"

#include <cstring>

#include "MainUnit.h"
#include "dmPub.h"
#include "qvlclient.h"

TServerMan::TServerMan(TMainForm &owner) : PollTimer(PollInterval), Owner(owner)
{
    System = std::make_unique<TRAIDSystem>(0, dm);
    System->RefreshCurrentPage = [&owner] { owner.RefreshCurrentPage(); };
    System->Connect("Local host", "Local host");
    PollTimer.OnTimer = [this] { PollEvents(); };
    PollTimer.SetEnabled(true);
}

TServerMan::~TServerMan() { PollTimer.SetEnabled(false); }

std::unique_ptr<TDeviceBase> TServerMan::CloneObject(const TDeviceBase *object)
{
    if (!object)
        return nullptr;
    switch (object->Kind) {
    case KindDevice:
        return std::make_unique<TDevice>(static_cast<const TDevice &>(*object));
    case KindChannel:
        return std::make_unique<TChannel>(static_cast<const TChannel &>(*object));
    case KindController:
        return std::make_unique<TController>(static_cast<const TController &>(*object));
    default:
        return nullptr;
    }
}

void TServerMan::PollEvents()
{
    if (!System || OpenEventBoxes >= MaxOpenEventBoxes)
        return; // at the bound the event stays queued in the driver for a later tick
    EventEntry entry;
    std::memset(&entry, 0, sizeof entry);
    if (cs_qvl_get_log_event(System->Handle, &entry) != 0)
        return;
    System->Reload();

    const std::string text(entry.text, strnlen(entry.text, sizeof entry.text));
    qvl::BoxKind kind;
    switch (entry.type) {
    case 'E':
        kind = qvl::BoxKind::Error;
        break;
    case 'W':
        kind = qvl::BoxKind::Warning;
        break;
    case 'I':
        kind = qvl::BoxKind::Information;
        break;
    default:
        return;
    }

    // The box runs a modal loop: further ticks, reloads and Exit can happen inside it, so no
    // device object is held across it. Exit leaves the manager alive until the message loop ends.
    ++OpenEventBoxes;
    if (kind == qvl::BoxKind::Error && OpenErrorBoxes++ == 0)
        Owner.BeepTimer.SetEnabled(true);
    qvl::ShowMessageBox(Owner.TopWindowHandle(), text, kind);
    if (kind == qvl::BoxKind::Error) {
        if (--OpenErrorBoxes == 0)
            Owner.BeepTimer.SetEnabled(false);
        System->NotifyErrorClosed();
    }
    --OpenEventBoxes;
}
