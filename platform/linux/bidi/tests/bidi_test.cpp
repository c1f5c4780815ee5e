// The bidi classes of the stand-in: made by CoCreateInstance, called through
// the platform's vtable slots, talking to the print server's simulated ports.
#include "platform/win32.h"
#include "platform/linux/spooler/server.h"
#include "platform/linux/testing/leakcheck.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

namespace sp = standin::spooler;

constexpr char16_t kSchema[] = u"\\Printer.WR";
const std::vector<BYTE> kRibbonCommand = {0x1F, 0x11, 0x3F};

class BidiTest : public standin_testing::LeakCheckTest {
protected:
    void SetUp() override
    {
        sp::LoadSample();
        LeakCheckTest::SetUp();
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    }
    void TearDown() override
    {
        if (request)
            request->Release();
        if (spl)
            spl->Release();
        CoUninitialize();
        LeakCheckTest::TearDown();
        sp::LoadSample();
    }

    void Create()
    {
        ASSERT_EQ(CoCreateInstance(CLSID_BidiSpl, nullptr, CLSCTX_INPROC_SERVER, IID_IBidiSpl,
                                   reinterpret_cast<void **>(&spl)),
                  S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_BidiRequest, nullptr, CLSCTX_INPROC_SERVER, IID_IBidiRequest,
                                   reinterpret_cast<void **>(&request)),
                  S_OK);
    }

    // One "Get" of the ribbon command on a printer: SendRecv's result.
    HRESULT Ask(const char16_t *printer)
    {
        EXPECT_EQ(spl->BindDevice(printer, BIDI_ACCESS_USER), S_OK);
        EXPECT_EQ(request->SetSchema(kSchema), S_OK);
        EXPECT_EQ(request->SetInputData(BIDI_BLOB, kRibbonCommand.data(), UINT(kRibbonCommand.size())), S_OK);
        HRESULT hr = spl->SendRecv(BIDI_ACTION_GET, request);
        EXPECT_EQ(spl->UnbindDevice(), S_OK);
        return hr;
    }

    // Output entry 0: the call's result; on success the bytes (the task
    // memory freed here), on failure every output cleared.
    HRESULT Output(std::vector<BYTE> *bytes)
    {
        LPWSTR schema = reinterpret_cast<LPWSTR>(1);
        DWORD type = BIDI_NULL;
        BYTE *data = reinterpret_cast<BYTE *>(1);
        ULONG size = 7;
        HRESULT hr = request->GetOutputData(0, &schema, &type, &data, &size);
        if (FAILED(hr)) {
            EXPECT_TRUE(schema == nullptr && data == nullptr && size == 0);
            return hr;
        }
        EXPECT_EQ(std::u16string(schema ? schema : u""), kSchema);
        EXPECT_EQ(type, DWORD(BIDI_BLOB));
        bytes->assign(data, data + (data ? size : 0));
        CoTaskMemFree(schema);
        CoTaskMemFree(data);
        return hr;
    }
    std::vector<BYTE> Output()
    {
        std::vector<BYTE> bytes;
        EXPECT_EQ(Output(&bytes), S_OK);
        return bytes;
    }

    HRESULT Result()
    {
        HRESULT hr = S_FALSE;
        EXPECT_EQ(request->GetResult(&hr), S_OK);
        return hr;
    }

    DWORD Count()
    {
        DWORD count = 99;
        EXPECT_EQ(request->GetEnumCount(&count), S_OK);
        return count;
    }

    IBidiSpl *spl = nullptr;
    IBidiRequest *request = nullptr;
};

// Calls slot `index` of an object's vtable as a method without arguments
// beyond `this` and the given ones: what a caller compiled against the
// platform's header does.
template <typename... Args>
HRESULT CallSlot(void *object, int index, Args... args)
{
    using Slot = HRESULT (*)(void *, Args...);
    void **vtable = *static_cast<void ***>(object);
    return reinterpret_cast<Slot>(vtable[index])(object, args...);
}

TEST_F(BidiTest, ClassesServeTheirInterfacesInThePlatformsSlotOrder)
{
    long objects = standin::GetCounters().comObjects;
    Create();
    EXPECT_EQ(standin::GetCounters().comObjects, objects + 2);

    IUnknown *unknown = nullptr;
    EXPECT_EQ(spl->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    void *other = &other;
    EXPECT_EQ(spl->QueryInterface(IID_IBidiRequest, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);

    // IBidiRequest: SetSchema 3, SetInputData 4, GetResult 5, GetOutputData 6, GetEnumCount 7.
    EXPECT_EQ(CallSlot(request, 3, static_cast<LPCWSTR>(kSchema)), S_OK);
    EXPECT_EQ(CallSlot(request, 4, DWORD(BIDI_BLOB), kRibbonCommand.data(), UINT(3)), S_OK);
    HRESULT result = S_OK;
    EXPECT_EQ(CallSlot(request, 5, &result), S_OK);
    EXPECT_TRUE(FAILED(result)) << "a request not sent has no result";
    DWORD count = 99;
    EXPECT_EQ(CallSlot(request, 7, &count), S_OK);
    EXPECT_EQ(count, 0u);
    // IBidiSpl: BindDevice 3, UnbindDevice 4, SendRecv 5, MultiSendRecv 6.
    EXPECT_EQ(CallSlot(spl, 3, static_cast<LPCWSTR>(u"FalconBT"), DWORD(BIDI_ACCESS_USER)), S_OK);
    EXPECT_EQ(CallSlot(spl, 5, static_cast<LPCWSTR>(BIDI_ACTION_GET), static_cast<IBidiRequest *>(request)), S_OK);
    auto fake = reinterpret_cast<IBidiRequestContainer *>(request);
    EXPECT_EQ(CallSlot(spl, 6, static_cast<LPCWSTR>(BIDI_ACTION_GET), fake), E_NOTIMPL);
    EXPECT_EQ(CallSlot(spl, 4), S_OK);
    EXPECT_EQ(CallSlot(spl, 4), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE)) << "already unbound";

    LPWSTR schema = nullptr;
    DWORD type = 0;
    BYTE *data = nullptr;
    ULONG size = 0;
    EXPECT_EQ(CallSlot(request, 6, DWORD(0), &schema, &type, &data, &size), S_OK);
    EXPECT_EQ(size, 16u);
    CoTaskMemFree(schema);
    CoTaskMemFree(data);
}

// How a port's reply reaches the caller (which replies the sample's ports
// give, and what the plug-in makes of them, the ribbon query's tests show):
// the ribbon block as the printer sends it; no reply is no output entry;
// an offline port or an error fails the exchange, is the request's result
// and leaves no earlier answer behind.
TEST_F(BidiTest, RepliesReachTheRequestAsThePlatformGivesThem)
{
    Create();
    EXPECT_EQ(sp::RibbonStatus(1, 24), (std::vector<BYTE>{0x1A, 0x40, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 24}));
    ASSERT_EQ(Ask(u"FalconBT (silent)"), S_OK);
    EXPECT_EQ(Result(), S_OK);
    EXPECT_EQ(Count(), 0u);
    std::vector<BYTE> none;
    EXPECT_EQ(Output(&none), E_INVALIDARG);

    ASSERT_TRUE(sp::SetBidiReply(u"FalconBT (silent)", sp::AnswerWith({})));
    ASSERT_EQ(Ask(u"FalconBT (silent)"), S_OK);
    EXPECT_EQ(Count(), 1u) << "an answer without data: one entry of size 0";
    EXPECT_TRUE(Output().empty());

    sp::BidiReply failing = sp::AnswerWith(sp::RibbonStatus(1, 24));
    failing.error = HRESULT_FROM_WIN32(21);  // ERROR_NOT_READY
    ASSERT_TRUE(sp::SetBidiReply(u"FalconBT (2)", failing));
    for (auto [printer, error] :
         {std::pair<const char16_t *, HRESULT>{u"FalconBT (offline)", HRESULT_FROM_WIN32(ERROR_BIDI_DEVICE_OFFLINE)},
          {u"FalconBT (2)", failing.error}}) {
        ASSERT_EQ(Ask(u"FalconBT"), S_OK);
        EXPECT_EQ(Ask(printer), error);
        EXPECT_EQ(Result(), error);
        EXPECT_EQ(Count(), 0u);
    }
    EXPECT_FALSE(sp::SetBidiReply(u"No Such Printer", failing));
}

// A reply later than the timeout is given up on after the timeout, not the
// delay; a new server starts with the default timeout again.
TEST_F(BidiTest, ALateReplyIsGivenUpOnAtTheTimeout)
{
    Create();
    EXPECT_EQ(sp::BidiTimeout(), 1000u);
    sp::SetBidiTimeout(200);
    ASSERT_TRUE(sp::SetBidiReply(u"FalconBT", sp::AnswerWith(sp::RibbonStatus(1, 24), 60000)));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask(u"FalconBT"), HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ(Count(), 0u);
    sp::LoadSample();
    EXPECT_EQ(sp::BidiTimeout(), 1000u);
}

// Each exchange is recorded under the printer's own name, a failed one too;
// only the ribbon schema's Get is served.
TEST_F(BidiTest, EveryExchangeIsRecorded)
{
    Create();
    sp::ClearBidiExchanges();
    ASSERT_EQ(Ask(u"falconbt (2)"), S_OK);
    EXPECT_EQ(Ask(u"FalconBT (offline)"), HRESULT_FROM_WIN32(ERROR_BIDI_DEVICE_OFFLINE));
    ASSERT_EQ(spl->BindDevice(u"FalconBT", BIDI_ACCESS_USER), S_OK);
    ASSERT_EQ(request->SetSchema(u"\\Printer.Other"), S_OK);
    EXPECT_EQ(spl->SendRecv(BIDI_ACTION_GET, request), HRESULT_FROM_WIN32(ERROR_BIDI_SCHEMA_NOT_SUPPORTED));
    ASSERT_EQ(spl->UnbindDevice(), S_OK);
    std::vector<sp::BidiExchange> seen = sp::BidiExchanges();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].printer, u"FalconBT (2)");
    EXPECT_EQ(seen[0].action, u"Get");
    EXPECT_EQ(seen[0].type, DWORD(BIDI_BLOB));
    EXPECT_EQ(seen[1].printer, u"FalconBT (offline)");
    EXPECT_EQ(seen[2].schema, u"\\Printer.Other");
    sp::LoadSample();
    EXPECT_TRUE(sp::BidiExchanges().empty()) << "a new server has no exchanges";
}

TEST_F(BidiTest, OnlyABindingToAKnownPrinterCanSend)
{
    Create();
    EXPECT_EQ(spl->BindDevice(u"No Such Printer", BIDI_ACCESS_USER), HRESULT_FROM_WIN32(ERROR_INVALID_PRINTER_NAME));
    EXPECT_EQ(spl->SendRecv(BIDI_ACTION_GET, request), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
    EXPECT_EQ(spl->BindDevice(u"FalconBT", 0), E_INVALIDARG);
    ASSERT_EQ(spl->BindDevice(u"FalconBT", BIDI_ACCESS_USER), S_OK);
    // The printer goes while bound: the exchange fails.
    ASSERT_EQ(request->SetSchema(kSchema), S_OK);
    ASSERT_TRUE(sp::RemovePrinter(u"FalconBT"));
    EXPECT_EQ(spl->SendRecv(BIDI_ACTION_GET, request), HRESULT_FROM_WIN32(ERROR_INVALID_PRINTER_NAME));
    EXPECT_EQ(Result(), HRESULT_FROM_WIN32(ERROR_INVALID_PRINTER_NAME));
    EXPECT_EQ(spl->UnbindDevice(), S_OK);
}

TEST_F(BidiTest, FaultsFailTheCallsThatMakeSomething)
{
    // Every creation, and each class's own, so that one of two can fail.
    const struct {
        const char *fault;
        const CLSID &clsid;
        const IID &iid;
        HRESULT error;
    } creations[] = {{"CoCreateInstance", CLSID_BidiSpl, IID_IBidiSpl, E_OUTOFMEMORY},
                     {"CoCreateInstance(BidiRequest)", CLSID_BidiRequest, IID_IBidiRequest, E_OUTOFMEMORY},
                     {"CoCreateInstance(BidiSpl)", CLSID_BidiSpl, IID_IBidiSpl, E_ACCESSDENIED}};
    for (const auto &c : creations) {
        IUnknown *object = reinterpret_cast<IUnknown *>(1);
        standin::FailNext(c.fault, 1, static_cast<DWORD>(c.error));
        EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, c.iid, reinterpret_cast<void **>(&object)),
                  c.error)
            << c.fault;
        EXPECT_EQ(object, nullptr) << c.fault;
    }
    Create();

    standin::FailNext("BindDevice", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(spl->BindDevice(u"FalconBT", BIDI_ACCESS_USER), E_ACCESSDENIED);
    EXPECT_EQ(spl->UnbindDevice(), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE)) << "a failed binding binds nothing";
    ASSERT_EQ(spl->BindDevice(u"FalconBT", BIDI_ACCESS_USER), S_OK);
    ASSERT_EQ(request->SetSchema(kSchema), S_OK);
    ASSERT_EQ(spl->SendRecv(BIDI_ACTION_GET, request), S_OK);

    // The copies of the output are task memory: counted, and a failed copy
    // leaves nothing behind.
    long blocks = standin::GetCounters().taskBlocks;
    std::vector<BYTE> bytes;
    for (int skip : {0, 1}) {
        standin::FailNext("CoTaskMemAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, skip);
        EXPECT_EQ(Output(&bytes), E_OUTOFMEMORY) << skip;
        EXPECT_EQ(standin::GetCounters().taskBlocks, blocks);
    }
    EXPECT_EQ(Output(), sp::RibbonStatus(1, 24));
    EXPECT_EQ(spl->UnbindDevice(), S_OK);
}

TEST_F(BidiTest, SavedStatesKeepTheProgrammedReplies)
{
    sp::BidiReply reply = sp::AnswerWith({0x1A, 0x40, 0x00}, 250);
    reply.error = E_ACCESSDENIED;
    ASSERT_TRUE(sp::SetBidiReply(u"Wren", reply));
    std::string json = sp::ToJson();
    sp::Reset();
    std::string error;
    ASSERT_TRUE(sp::FromJson(json, &error)) << error;
    sp::PrinterConfig wren, falcon;
    ASSERT_TRUE(sp::GetPrinter(u"Wren", wren));
    EXPECT_TRUE(wren.bidi.answers);
    EXPECT_EQ(wren.bidi.data, reply.data);
    EXPECT_EQ(wren.bidi.error, E_ACCESSDENIED);
    EXPECT_EQ(wren.bidi.delay, 250u);

    // A state saved before the ports existed loads with silent ports; a
    // malformed reply is refused.
    std::string old = json;
    for (size_t at = old.find("\"bidi\""); at != std::string::npos; at = old.find("\"bidi\"")) {
        size_t start = old.rfind(',', at);
        size_t end = old.find('}', at);
        old.erase(start, end + 1 - start);
    }
    ASSERT_TRUE(sp::FromJson(old, &error)) << error;
    ASSERT_TRUE(sp::GetPrinter(u"FalconBT", falcon));
    EXPECT_FALSE(falcon.bidi.answers);
    std::string broken = json;
    broken.replace(broken.find("\"answers\": true"), 15, "\"answers\": 1");
    EXPECT_FALSE(sp::FromJson(broken, &error));
    EXPECT_NE(error.find("answers"), std::string::npos) << error;
}

}  // namespace
