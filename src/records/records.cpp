#include "src/records/records.h"

// The header and dwDriverData with every job setting at its default; the
// pending selections are the driver's and are left as they are.
void SetDefaultOEMDev(OEMDEV *pOEMDev)
{
    pOEMDev->dmOEMExtra.dwSize = sizeof(OEMDEV);
    pOEMDev->dmOEMExtra.dwSignature = OEMDEV_SIGNATURE;
    pOEMDev->dmOEMExtra.dwVersion = OEMDEV_VERSION;
    pOEMDev->dwDriverData = 0;
    pOEMDev->Speed = 4;
    pOEMDev->Density = 8;
    pOEMDev->Reference[0] = 0;
    pOEMDev->Reference[1] = 0;
    pOEMDev->Rotate = 1;
    pOEMDev->Gap = 0;
    pOEMDev->Gappara[0] = 3;
    pOEMDev->Gappara[1] = 0;
    pOEMDev->Offset = 0;
    pOEMDev->Settear = 0;
    pOEMDev->Gray = 0;
    pOEMDev->Reverse = 0;
    pOEMDev->BlackLevel = 2;
    pOEMDev->GrayLevel = 6;
    pOEMDev->Chain = 0;
    pOEMDev->Mirror = 0;
    pOEMDev->AutoCut = 0;
    pOEMDev->SpecialTape = 0;
    pOEMDev->HalfCut = 0;
    pOEMDev->iQuality = 0;
}

void SetDefaultSettings(REGSTRUCT *pSettings)
{
    *pSettings = REGSTRUCT{};
    pSettings->Version = REGSTRUCT_VERSION;
    pSettings->Speed = 4;
    pSettings->Density = 5;
    pSettings->Rotate = 2;
    pSettings->Gappara[0] = 3;
    pSettings->BlackLevel = 2;
    pSettings->GrayLevel = 6;
    pSettings->Contrast = 10;
}

void CopySettingsToOEMDev(const REGSTRUCT *pSettings, OEMDEV *pOEMDev)
{
    pOEMDev->Speed = pSettings->Speed;
    pOEMDev->Density = pSettings->Density;
    pOEMDev->Reference[0] = pSettings->Reference[0];
    pOEMDev->Reference[1] = pSettings->Reference[1];
    pOEMDev->Rotate = pSettings->Rotate;
    pOEMDev->Gap = pSettings->Gap;
    pOEMDev->Gappara[0] = pSettings->Gappara[0];
    pOEMDev->Gappara[1] = pSettings->Gappara[1];
    pOEMDev->Offset = pSettings->Offset;
    pOEMDev->Settear = pSettings->Settear;
    pOEMDev->Gray = pSettings->Gray;
    pOEMDev->Reverse = pSettings->Reverse;
    pOEMDev->Chain = pSettings->Chain;
    pOEMDev->Mirror = pSettings->Mirror;
    pOEMDev->AutoCut = pSettings->AutoCut;
    pOEMDev->SpecialTape = pSettings->SpecialTape;
    pOEMDev->HalfCut = pSettings->HalfCut;
    pOEMDev->iQuality = pSettings->iQuality;
}
