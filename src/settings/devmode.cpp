#include "src/settings/devmode.h"

#include "src/base/debug.h"
#include "src/base/unique.h"
#include "src/sheet/sheetstate.h"
#include "src/settings/printer.h"

#include <cstring>

HRESULT hrOEMDevMode(DWORD dwMode, POEMDMPARAM pOemDMParam)
{
    bool known = dwMode >= OEMDM_SIZE && dwMode <= OEMDM_MERGE;
    // Defaults need somewhere to go; without an output record the call is
    // as invalid as an unknown mode.
    bool noOutput = dwMode == OEMDM_DEFAULT && pOemDMParam != nullptr && pOemDMParam->pOEMDMOut == nullptr;
    if (pOemDMParam == nullptr || !known || noOutput) {
        ERR(TEXT("ERROR UI:  DevMode() ERROR_INVALID_PARAMETER.\r\n"));
        VERBOSE(TEXT("UI:  \tdwMode = %d, pOemDMParam = %#lx.\r\n"), dwMode, LogPtr(pOemDMParam));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }

    // The driver's records sit wherever the DEVMODE puts them: read and
    // written through aligned copies. The input is read only as far as its
    // header says it reaches.
    const void *in = pOemDMParam->pOEMDMIn;
    switch (dwMode) {
    case OEMDM_SIZE:
        pOemDMParam->cbBufSize = sizeof(OEMDEV);
        break;
    case OEMDM_DEFAULT: {
        RecordAt<OEMDEV> out(pOemDMParam->pOEMDMOut);
        SetDefaultOEMDev(out.get());
        VERBOSE(TEXT("UI:  pOEMDevOut after setting default values:\r\n"));
        DumpOEMDevHeader(out.get());
        break;
    }
    case OEMDM_CONVERT:
    case OEMDM_MERGE: {
        if (pOemDMParam->pOEMDMOut == nullptr) {
            ConvertOEMDevmode(static_cast<const OEMDEV *>(in), nullptr);
            break;
        }
        RecordAt<OEMDEV> out(pOemDMParam->pOEMDMOut);
        ConvertOEMDevmode(static_cast<const OEMDEV *>(in), out.get());
        if (dwMode == OEMDM_MERGE)
            MakeOEMDevmodeValid(out.get());
        break;
    }
    }
    DumpOEMDMParam(pOemDMParam);
    return S_OK;
}

BOOL ConvertOEMDevmode(const OEMDEV *pOEMDevIn, OEMDEV *pOEMDevOut)
{
    if (pOEMDevIn == nullptr || pOEMDevOut == nullptr) {
        ERR(TEXT("ERROR UI:  ConvertOEMDevmode() invalid parameters.\r\n"));
        return FALSE;
    }
    // The input is the driver's: at any address, and possibly shorter than
    // a whole record. Its header comes first, then what its size covers.
    const auto *bytes = reinterpret_cast<const BYTE *>(pOEMDevIn);
    OEM_DMEXTRAHEADER header;
    std::memcpy(&header, bytes, sizeof(header));
    if (header.dwSignature != pOEMDevOut->dmOEMExtra.dwSignature) {
        WARNING(TEXT("UI:  Unknown DEVMODE signature, pOEMDMIn ignored.\r\n"));
        SetDefaultOEMDev(pOEMDevOut);
        return TRUE;
    }

    VERBOSE(TEXT("UI:  Converting private OEM Devmode.\r\n"));
    VERBOSE(TEXT("UI:  pOEMDevIn:\r\n"));
    // An older, shorter record keeps the defaults in its missing tail; a
    // longer one is cut.
    DWORD take = header.dwSize < sizeof(OEMDEV) ? header.dwSize : sizeof(OEMDEV);
    SetDefaultOEMDev(pOEMDevOut);
    MoveMemory(pOEMDevOut, bytes, take);
    DumpOEMDevHeader(pOEMDevOut);  // the input's header, as far as it reaches
    pOEMDevOut->dmOEMExtra.dwSize = sizeof(OEMDEV);
    pOEMDevOut->dmOEMExtra.dwVersion = OEMDEV_VERSION;
    return TRUE;
}

BOOL MakeOEMDevmodeValid(OEMDEV *pOEMDev)
{
    if (pOEMDev == nullptr)
        return FALSE;
    pOEMDev->dmOEMExtra.dwSize = sizeof(OEMDEV);
    pOEMDev->dmOEMExtra.dwSignature = OEMDEV_SIGNATURE;
    pOEMDev->dmOEMExtra.dwVersion = OEMDEV_VERSION;
    if (static_cast<LONG>(pOEMDev->dwDriverData) > 100)
        pOEMDev->dwDriverData = 0;
    return TRUE;
}

OEMDEV *FindOEMDevInDevmode(DEVMODEW *pDevmode, size_t available)
{
    // The record is the last 108 bytes of the private area that follows the
    // 220-byte public part; a DEVMODE with a shorter public part or a
    // smaller private area has no record of ours there.
    size_t extra = pDevmode->dmDriverExtra;
    if (pDevmode->dmSize < PUBLIC_DEVMODE_SIZE || extra < sizeof(OEMDEV))
        return nullptr;
    if (available < PUBLIC_DEVMODE_SIZE + extra)
        return nullptr;
    return reinterpret_cast<OEMDEV *>(reinterpret_cast<BYTE *>(pDevmode) + PUBLIC_DEVMODE_SIZE + extra -
                                      sizeof(OEMDEV));
}

BOOL UpdateDefaultOEMDev(PCWSTR pPrinterName)
{
    unique_global block(GetPrinterInfo2(pPrinterName));
    if (!block)
        return FALSE;
    auto *info = static_cast<PRINTER_INFO_2W *>(block.get());
    DEVMODEW *devmode = info->pDevMode;
    if (devmode == nullptr)
        return FALSE;
    WARNING(TEXT("UI:  dmsize %d dmDriverExtra %d"), devmode->dmSize, devmode->dmDriverExtra);

    // The DEVMODE lies inside the block; it may not reach past its end.
    size_t blockSize = GlobalSize(block.get());
    size_t offset = static_cast<size_t>(reinterpret_cast<BYTE *>(devmode) - static_cast<BYTE *>(block.get()));
    if (offset >= blockSize)
        return FALSE;
    OEMDEV *at = FindOEMDevInDevmode(devmode, blockSize - offset);
    if (at == nullptr)
        return FALSE;

    if (gpCurrentSettings == nullptr || gpCurrentSettings->Version != REGSTRUCT_VERSION)
        return FALSE;
    WARNING(TEXT("UI:  default oemDev change"));
    {
        // An odd dmDriverExtra puts the record at an odd address.
        RecordAt<OEMDEV> oemDev(static_cast<void *>(at));
        CopySettingsToOEMDev(gpCurrentSettings, oemDev.get());
    }
    return SetPrinterInfo2(info);
}

void DumpOEMDMParam(const OEMDMPARAM *pOemDMParam)
{
    VERBOSE(TEXT("pOemDMParam:\r\n"));
    VERBOSE(TEXT("\tcbSize = %d\r\n"), pOemDMParam->cbSize);
    VERBOSE(TEXT("\tpdriverobj = %#x\r\n"), LogPtr(pOemDMParam->pdriverobj));
    VERBOSE(TEXT("\thPrinter = %#x\r\n"), LogPtr(pOemDMParam->hPrinter));
    VERBOSE(TEXT("\thModule = %#x\r\n"), LogPtr(pOemDMParam->hModule));
    VERBOSE(TEXT("\tpPublicDMIn = %#x\r\n"), LogPtr(pOemDMParam->pPublicDMIn));
    VERBOSE(TEXT("\tpPublicDMOut = %#x\r\n"), LogPtr(pOemDMParam->pPublicDMOut));
    VERBOSE(TEXT("\tpOEMDMIn = %#x\r\n"), LogPtr(pOemDMParam->pOEMDMIn));
    VERBOSE(TEXT("\tpOEMDMOut = %#x\r\n"), LogPtr(pOemDMParam->pOEMDMOut));
    VERBOSE(TEXT("\tcbBufSize = %d\r\n"), pOemDMParam->cbBufSize);
}

void DumpOEMDevHeader(const OEMDEV *pOEMDev)
{
    if (pOEMDev == nullptr || pOEMDev->dmOEMExtra.dwSize < sizeof(OEMDEV) ||
        pOEMDev->dmOEMExtra.dwSignature != OEMDEV_SIGNATURE) {
        ERR(TEXT("ERROR UI:  Dump(POEMDEV) unknown private OEM DEVMODE.\r\n"));
        return;
    }
    VERBOSE(TEXT("\tdmOEMExtra.dwSize      = %d\r\n"), pOEMDev->dmOEMExtra.dwSize);
    VERBOSE(TEXT("\tdmOEMExtra.dwSignature = %#x\r\n"), pOEMDev->dmOEMExtra.dwSignature);
    VERBOSE(TEXT("\tdmOEMExtra.dwVersion   = %#x\r\n"), pOEMDev->dmOEMExtra.dwVersion);
    VERBOSE(TEXT("\tdwDriverData           = %#x\r\n"), pOEMDev->dwDriverData);
}

void DumpOEMDevFields(const OEMDEV *pOEMDev)
{
    if (pOEMDev == nullptr) {
        ERR(TEXT("ERROR UI:  the test oemdev is null.\r\n"));
        return;
    }
    WARNING(TEXT("\tDensity      = %d\r\n"), pOEMDev->Density);
    WARNING(TEXT("\tGap          = %d\r\n"), pOEMDev->Gap);
    WARNING(TEXT("\tGray         = %d\r\n"), pOEMDev->Gray);
    WARNING(TEXT("\tRotate       = %d\r\n"), pOEMDev->Rotate);
    WARNING(TEXT("\tSettear      = %d\r\n"), pOEMDev->Settear);
    WARNING(TEXT("\tSpeed        = %d\r\n"), pOEMDev->Speed);
    WARNING(TEXT("\tOffset       = %d\r\n"), pOEMDev->Offset);
    WARNING(TEXT("\tReference[0] = %d\r\n"), pOEMDev->Reference[0]);
    WARNING(TEXT("\tReference[1] = %d\r\n"), pOEMDev->Reference[1]);
    WARNING(TEXT("\tGappara[0]   = %d\r\n"), pOEMDev->Gappara[0]);
    WARNING(TEXT("\tGappara[1]   = %d\r\n"), pOEMDev->Gappara[1]);
    WARNING(TEXT("\tBlackLevel   = %d\r\n"), pOEMDev->BlackLevel);
    WARNING(TEXT("\tGrayLevel    = %d\r\n"), pOEMDev->GrayLevel);
    WARNING(TEXT("\tReverse      = %d\r\n"), pOEMDev->Reverse);
    WARNING(TEXT("\ttest address        = %p\r\n"), pOEMDev);
}
