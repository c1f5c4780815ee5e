// The two stored records of the plug-in: the private part of every DEVMODE
// (OEMDEV) and the per-printer settings kept as printer data (REGSTRUCT).
// Both are byte formats shared by the 32-bit and 64-bit builds and by the
// rendering side of the driver: fixed-width fields only, no padding.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <cstring>

constexpr DWORD OEMDEV_SIGNATURE = 0x4D534654;
constexpr DWORD OEMDEV_VERSION = 3;

struct OEMDEV {
    OEM_DMEXTRAHEADER dmOEMExtra;
    DWORD dwDriverData;  // selection of the first OEM option item, 0..100
    // Pending selections of the driver's own items, -1 when none is pending.
    LONG standardPaperSizeChoose;
    LONG standardOrientationChoose;
    LONG standardResolutionChoose;
    LONG Speed;
    LONG Density;
    LONG Reference[2];
    LONG Rotate;
    LONG Gap;
    LONG Gappara[2];
    LONG Offset;
    LONG Settear;
    LONG Gray;
    LONG Reverse;
    LONG BlackLevel;
    LONG GrayLevel;
    LONG Chain;
    LONG Mirror;
    LONG AutoCut;
    LONG SpecialTape;
    LONG HalfCut;
    LONG iQuality;
};
typedef OEMDEV *POEMDEV;

static_assert(sizeof(OEMDEV) == 108, "OEMDEV is a 108-byte stored record");
static_assert(offsetof(OEMDEV, dwDriverData) == 12, "OEMDEV layout");
static_assert(offsetof(OEMDEV, standardPaperSizeChoose) == 16, "OEMDEV layout");
static_assert(offsetof(OEMDEV, Speed) == 28, "OEMDEV layout");
static_assert(offsetof(OEMDEV, Reference) == 36, "OEMDEV layout");
static_assert(offsetof(OEMDEV, Rotate) == 44, "OEMDEV layout");
static_assert(offsetof(OEMDEV, Gappara) == 52, "OEMDEV layout");
static_assert(offsetof(OEMDEV, Gray) == 68, "OEMDEV layout");
static_assert(offsetof(OEMDEV, Chain) == 84, "OEMDEV layout");
static_assert(offsetof(OEMDEV, HalfCut) == 100, "OEMDEV layout");
static_assert(offsetof(OEMDEV, iQuality) == 104, "OEMDEV layout");

constexpr LONG REGSTRUCT_VERSION = 5;
constexpr DWORD REGSTRUCT_SIZE = 116;

struct REGSTRUCT {
    LONG Version;
    LONG Speed;
    LONG Density;
    LONG Reference[2];
    LONG Rotate;
    LONG Gap;
    LONG Gappara[2];
    LONG Offset;
    LONG Settear;
    LONG Gray;
    LONG Reverse;
    LONG BlackLevel;
    LONG GrayLevel;
    LONG Chain;
    LONG Mirror;
    LONG Brightness;
    LONG Contrast;
    LONG Unit;
    LONG AutoCut;
    LONG SpecialTape;
    LONG HalfCut;
    LONG Distributed;
    LONG iQuality;
    LONG Reserved[4];
};
typedef REGSTRUCT *PREGSTRUCT;

static_assert(sizeof(REGSTRUCT) == REGSTRUCT_SIZE, "REGSTRUCT is a 116-byte stored record");
static_assert(offsetof(REGSTRUCT, Speed) == 4, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Reference) == 12, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Rotate) == 20, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Gappara) == 28, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Gray) == 44, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Chain) == 60, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Brightness) == 68, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Unit) == 76, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Distributed) == 92, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, iQuality) == 96, "REGSTRUCT layout");
static_assert(offsetof(REGSTRUCT, Reserved) == 100, "REGSTRUCT layout");

// The public part of a DEVMODE as the plug-in locates its record in one.
constexpr DWORD PUBLIC_DEVMODE_SIZE = 220;
static_assert(sizeof(DEVMODEW) == PUBLIC_DEVMODE_SIZE, "the wide public DEVMODE is 220 bytes");
static_assert(offsetof(DEVMODEW, dmDriverExtra) == 70, "DEVMODEW layout");
static_assert(offsetof(DEVMODEW, dmFields) == 72, "DEVMODEW layout");
static_assert(offsetof(DEVMODEW, dmOrientation) == 76, "DEVMODEW layout");
static_assert(offsetof(DEVMODEW, dmPaperSize) == 78, "DEVMODEW layout");
static_assert(offsetof(DEVMODEW, dmFormName) == 102, "DEVMODEW layout");
static_assert(offsetof(DEVMODEW, dmPanningHeight) == 216, "DEVMODEW layout");

// The printer data value that holds a printer's REGSTRUCT.
constexpr WCHAR kSettingsValueName[] = TEXT("OrvoPrinterData");

// A record in bytes the caller hands over, at whatever address they give it
// (a DEVMODE's private area follows the public part and other plug-ins'
// parts, so nothing promises the record's alignment): worked on in an
// aligned copy, written back when the copy goes unless it was only read.
template <typename Record>
class RecordAt {
public:
    explicit RecordAt(void *at) : at_(static_cast<BYTE *>(at)) { Load(); }
    explicit RecordAt(const void *at) : at_(nullptr), from_(static_cast<const BYTE *>(at)) { Load(); }
    ~RecordAt()
    {
        if (at_ != nullptr)
            std::memcpy(at_, &copy_, sizeof(Record));
    }
    RecordAt(const RecordAt &) = delete;
    RecordAt &operator=(const RecordAt &) = delete;

    Record *get() { return from_ != nullptr ? &copy_ : nullptr; }
    Record *operator->() { return &copy_; }
    Record &operator*() { return copy_; }
    explicit operator bool() const { return from_ != nullptr; }

private:
    void Load()
    {
        if (at_ != nullptr)
            from_ = at_;
        if (from_ != nullptr)
            std::memcpy(&copy_, from_, sizeof(Record));
    }

    BYTE *at_;
    const BYTE *from_ = nullptr;
    Record copy_{};
};

void SetDefaultOEMDev(OEMDEV *pOEMDev);
void SetDefaultSettings(REGSTRUCT *pSettings);
// The 18 job settings a printer's settings record shares with OEMDEV.
void CopySettingsToOEMDev(const REGSTRUCT *pSettings, OEMDEV *pOEMDev);
