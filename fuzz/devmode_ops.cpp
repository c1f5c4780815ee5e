// The driver's DevMode calls on any private record: the first byte is the
// mode (modulo 6, unknown ones included) and the record's misalignment (/ 6,
// modulo 4), the rest the input record, as long as its header says (Unidrv
// hands each plug-in a section of that size). The output is always a valid
// record, its option item selection at most 100 after a merge; the input is
// only read.
#include "fuzz/common.h"

#include "src/settings/devmode.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    standin::DebugCaptureClear();
    fuzz::Counts counts;
    DWORD mode = data[0] % 6;  // 0 and 5 are no modes of the driver
    // The driver's records follow the public DEVMODE and other plug-ins'
    // parts: nothing promises their alignment.
    size_t skew = (data[0] / 6) % 4;
    ++data;
    --size;
    // A block that ends where the input does, so a read past it is seen.
    std::vector<BYTE> inBlock(skew + size);
    if (size != 0)
        std::memcpy(inBlock.data() + skew, data, size);
    BYTE *in = inBlock.data() + skew;
    if (size >= sizeof(OEM_DMEXTRAHEADER)) {
        DWORD length = static_cast<DWORD>(size);
        std::memcpy(in + offsetof(OEM_DMEXTRAHEADER, dwSize), &length, sizeof(length));
    }
    std::vector<BYTE> inCopy = inBlock;

    DEVMODEW publicIn = {}, publicOut = {};
    publicIn.dmSize = publicOut.dmSize = sizeof(DEVMODEW);
    OEMDEV defaults;
    SetDefaultOEMDev(&defaults);
    std::vector<BYTE> outBlock(skew + sizeof(OEMDEV));
    std::memcpy(outBlock.data() + skew, &defaults, sizeof(OEMDEV));
    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    param.pPublicDMIn = &publicIn;
    param.pPublicDMOut = &publicOut;
    param.pOEMDMIn = size >= sizeof(OEM_DMEXTRAHEADER) ? in : nullptr;
    param.pOEMDMOut = outBlock.data() + skew;
    param.cbBufSize = sizeof(OEMDEV);
    HRESULT hr = hrOEMDevMode(mode, &param);

    fuzz::Require(inBlock == inCopy, "the input record was written");
    OEMDEV out;
    std::memcpy(&out, outBlock.data() + skew, sizeof(OEMDEV));
    if (mode == OEMDM_SIZE) {
        fuzz::Require(hr == S_OK && param.cbBufSize == sizeof(OEMDEV), "wrong record size");
    } else if (mode >= OEMDM_DEFAULT && mode <= OEMDM_MERGE && (mode == OEMDM_DEFAULT || param.pOEMDMIn != nullptr)) {
        fuzz::Require(hr == S_OK, "a valid call failed");
        fuzz::Require(out.dmOEMExtra.dwSize == sizeof(OEMDEV), "output record size");
        fuzz::Require(out.dmOEMExtra.dwSignature == OEMDEV_SIGNATURE, "output record signature");
        fuzz::Require(out.dmOEMExtra.dwVersion == OEMDEV_VERSION, "output record version");
        // A merge bounds the selection as a signed number: a negative one
        // stays, as the DevMode tests pin.
        if (mode != OEMDM_CONVERT)
            fuzz::Require(static_cast<LONG>(out.dwDriverData) <= 100, "option item selection beyond 100");
    } else if (mode != OEMDM_CONVERT && mode != OEMDM_MERGE) {
        fuzz::Require(FAILED(hr), "an unknown mode succeeded");
    }
    counts.Check();
    return 0;
}
