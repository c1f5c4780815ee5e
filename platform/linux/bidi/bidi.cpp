// BidiSpl and BidiRequest of the Linux stand-in: a request carries one
// schema and one input value; BidiSpl binds to a printer of the print server
// and exchanges the request with the printer's simulated port, which answers
// the schema "\Printer.WR" as programmed (spooler/server.h) and records what
// it was sent.
#include "platform/linux/bidi/bidispl.h"

#include "platform/linux/spooler/state.h"
#include "platform/linux/user/user.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <string>
#include <vector>

const IID IID_IBidiRequest = {0x8F348BD7, 0x4B47, 0x4755, {0x8A, 0x9D, 0x0F, 0x42, 0x2D, 0xF3, 0xDC, 0x89}};
const IID IID_IBidiRequestContainer = {0xD752F6C0, 0x94A8, 0x4275, {0xA7, 0x7D, 0x8F, 0x1D, 0x1A, 0x11, 0x21, 0xAE}};
const IID IID_IBidiSpl = {0xD580DC0E, 0xDE39, 0x4649, {0xBA, 0xA8, 0xBF, 0x0B, 0x85, 0xA0, 0x3A, 0x97}};
const CLSID CLSID_BidiRequest = {0xB9162A23, 0x45F9, 0x47CC, {0x80, 0xF5, 0xFE, 0x0F, 0xE9, 0xB9, 0xE1, 0xA2}};
const CLSID CLSID_BidiRequestContainer = {0xFC5B8A24, 0xDB05, 0x4A01, {0x83, 0x88, 0x22, 0xED, 0xF6, 0xC2, 0xBB, 0xBA}};
const CLSID CLSID_BidiSpl = {0x2A614240, 0xA4C5, 0x4C33, {0xBD, 0x87, 0x1B, 0xC7, 0x09, 0x33, 0x16, 0x39}};

namespace standin::bidi {
namespace {

using standin::Counters;
namespace sp = standin::spooler;

// The one schema the ports of the print server know.
constexpr char16_t kRibbonSchema[] = u"\\Printer.WR";
// A request not sent yet has no result.
constexpr HRESULT kNotSent = _HRESULT_TYPEDEF_(0x8000000AL);  // E_PENDING

HRESULT faultResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// The reference count and the stand-in's count of live COM objects.
template <typename I>
class Object : public I {
public:
    Object() { standin::CountAdd(&Counters::comObjects, 1); }
    virtual ~Object() { standin::CountAdd(&Counters::comObjects, -1); }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == served_) {
            *ppv = static_cast<I *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        long left = --refs_;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    explicit Object(const IID &served) : Object() { served_ = served; }

private:
    std::atomic<long> refs_{1};
    IID served_ = IID_IUnknown;
};

// ---- BidiRequest ------------------------------------------------------------

class Request final : public Object<IBidiRequest> {
public:
    Request() : Object(IID_IBidiRequest) {}

    STDMETHODIMP SetSchema(const LPCWSTR pszSchema) override
    {
        if (pszSchema == nullptr)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(lock_);
        schema_ = pszSchema;
        return S_OK;
    }

    STDMETHODIMP SetInputData(const DWORD dwType, const BYTE *pData, const UINT uSize) override
    {
        if (dwType > BIDI_BLOB)
            return E_INVALIDARG;
        if (pData == nullptr && uSize != 0)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(lock_);
        type_ = dwType;
        input_.assign(pData, pData + uSize);
        return S_OK;
    }

    STDMETHODIMP GetResult(HRESULT *phr) override
    {
        if (phr == nullptr)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(lock_);
        *phr = result_;
        return S_OK;
    }

    // Both the schema and the data are task memory the caller frees.
    STDMETHODIMP GetOutputData(const DWORD dwIndex, LPWSTR *ppszSchema, DWORD *pdwType, BYTE **ppData,
                               ULONG *uSize) override
    {
        if (ppszSchema == nullptr || pdwType == nullptr || ppData == nullptr || uSize == nullptr)
            return E_POINTER;
        *ppszSchema = nullptr;
        *ppData = nullptr;
        *uSize = 0;
        std::lock_guard<std::mutex> guard(lock_);
        if (dwIndex >= outputs_.size())
            return E_INVALIDARG;
        const Output &out = outputs_[dwIndex];
        size_t schemaBytes = (out.schema.size() + 1) * sizeof(WCHAR);
        auto *schema = static_cast<LPWSTR>(CoTaskMemAlloc(schemaBytes));
        if (schema == nullptr)
            return E_OUTOFMEMORY;
        BYTE *data = nullptr;
        if (!out.data.empty()) {
            data = static_cast<BYTE *>(CoTaskMemAlloc(out.data.size()));
            if (data == nullptr) {
                CoTaskMemFree(schema);
                return E_OUTOFMEMORY;
            }
            std::copy(out.data.begin(), out.data.end(), data);
        }
        std::copy(out.schema.c_str(), out.schema.c_str() + out.schema.size() + 1, schema);
        *ppszSchema = schema;
        *pdwType = out.type;
        *ppData = data;
        *uSize = static_cast<ULONG>(out.data.size());
        return S_OK;
    }

    STDMETHODIMP GetEnumCount(DWORD *pdwTotal) override
    {
        if (pdwTotal == nullptr)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(lock_);
        *pdwTotal = static_cast<DWORD>(outputs_.size());
        return S_OK;
    }

    // What BidiSpl reads and writes while it sends the request.
    struct Input {
        std::u16string schema;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    Input Take() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return {schema_, type_, input_};
    }
    void Answer(HRESULT result, bool answered, const std::vector<BYTE> &data)
    {
        std::lock_guard<std::mutex> guard(lock_);
        result_ = result;
        outputs_.clear();
        if (answered)
            outputs_.push_back({schema_, BIDI_BLOB, data});
    }

private:
    struct Output {
        std::u16string schema;
        DWORD type;
        std::vector<BYTE> data;
    };
    mutable std::mutex lock_;
    std::u16string schema_;
    DWORD type_ = BIDI_NULL;
    std::vector<BYTE> input_;
    HRESULT result_ = kNotSent;
    std::vector<Output> outputs_;
};

// ---- BidiSpl ----------------------------------------------------------------

class Spl final : public Object<IBidiSpl> {
public:
    Spl() : Object(IID_IBidiSpl) {}

    STDMETHODIMP BindDevice(const LPCWSTR pszDeviceName, const DWORD dwAccess) override
    {
        if (standin::ShouldFail("BindDevice"))
            return faultResult();
        if (pszDeviceName == nullptr)
            return E_POINTER;
        if (dwAccess != BIDI_ACCESS_USER && dwAccess != BIDI_ACCESS_ADMINISTRATOR)
            return E_INVALIDARG;
        std::u16string name = pszDeviceName;
        {
            sp::detail::Server &s = sp::detail::server();
            std::lock_guard<std::mutex> guard(s.lock);
            sp::detail::Printer *printer = sp::detail::FindPrinter(s, name);
            if (printer == nullptr)
                return HRESULT_FROM_WIN32(ERROR_INVALID_PRINTER_NAME);
            name = printer->config.name;
        }
        std::lock_guard<std::mutex> guard(lock_);
        device_ = name;
        bound_ = true;
        return S_OK;
    }

    STDMETHODIMP UnbindDevice() override
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!bound_)
            return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
        bound_ = false;
        device_.clear();
        return S_OK;
    }

    STDMETHODIMP SendRecv(const LPCWSTR pszAction, IBidiRequest *pRequest) override
    {
        if (standin::ShouldFail("SendRecv"))
            return faultResult();
        if (pszAction == nullptr || pRequest == nullptr)
            return E_POINTER;
        // Only requests of this stand-in can be sent, as only the platform's
        // own can be on Windows.
        auto *request = dynamic_cast<Request *>(pRequest);
        if (request == nullptr)
            return E_INVALIDARG;
        std::u16string device;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!bound_)
                return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
            device = device_;
        }
        Request::Input input = request->Take();
        std::u16string action = pszAction;

        sp::BidiReply reply;
        bool offline = false;
        DWORD timeout = 0;
        {
            sp::detail::Server &s = sp::detail::server();
            std::lock_guard<std::mutex> guard(s.lock);
            s.bidiExchanges.push_back({device, input.schema, action, input.type, input.bytes});
            sp::detail::Printer *printer = sp::detail::FindPrinter(s, device);
            if (printer == nullptr)  // gone since the binding
                return finish(request, HRESULT_FROM_WIN32(ERROR_INVALID_PRINTER_NAME));
            reply = printer->config.bidi;
            offline = (printer->config.attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) != 0;
            timeout = s.bidiTimeout;
        }
        if (action != BIDI_ACTION_GET)
            return finish(request, HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
        if (input.schema != kRibbonSchema)
            return finish(request, HRESULT_FROM_WIN32(ERROR_BIDI_SCHEMA_NOT_SUPPORTED));
        if (offline)
            return finish(request, HRESULT_FROM_WIN32(ERROR_BIDI_DEVICE_OFFLINE));
        // A port that takes longer than the spooler waits is given up on.
        if (reply.delay > 0)
            Sleep(std::min(reply.delay, timeout));
        if (reply.delay > timeout)
            return finish(request, HRESULT_FROM_WIN32(ERROR_TIMEOUT));
        if (FAILED(reply.error))
            return finish(request, reply.error);
        request->Answer(S_OK, reply.answers, reply.data);
        return S_OK;
    }

    // Not done: the stand-in has no request container class.
    STDMETHODIMP MultiSendRecv(const LPCWSTR pszAction, IBidiRequestContainer *pRequestContainer) override
    {
        if (pszAction == nullptr || pRequestContainer == nullptr)
            return E_POINTER;
        return E_NOTIMPL;
    }

private:
    static HRESULT finish(Request *request, HRESULT failure)
    {
        request->Answer(failure, false, {});
        return failure;
    }

    std::mutex lock_;
    bool bound_ = false;
    std::u16string device_;
};

template <typename T>
HRESULT create(REFIID riid, void **ppv)
{
    auto *object = new (std::nothrow) T;
    if (object == nullptr)
        return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

HRESULT createSpl(REFIID riid, void **ppv)
{
    if (standin::ShouldFail("CoCreateInstance(BidiSpl)"))
        return faultResult();
    return create<Spl>(riid, ppv);
}

HRESULT createRequest(REFIID riid, void **ppv)
{
    if (standin::ShouldFail("CoCreateInstance(BidiRequest)"))
        return faultResult();
    return create<Request>(riid, ppv);
}

// The stand-in is a shared library: this runs when it is loaded.
struct Registration {
    Registration() { standin::RegisterBidiClasses(); }
} gRegistration;

}  // namespace
}  // namespace standin::bidi

namespace standin {

void RegisterBidiClasses()
{
    RegisterClass(CLSID_BidiSpl, bidi::createSpl);
    RegisterClass(CLSID_BidiRequest, bidi::createRequest);
}

}  // namespace standin
