// MXNamespaceManager60 of the MSXML stand-in: a stack of namespace contexts,
// filled by declarePrefix and pushNodeContext, answering with MSXML's
// buffer protocol.
#include "platform/linux/msxml/dom.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

namespace standin::msxml {
namespace {

typedef std::vector<std::pair<std::u16string, std::u16string>> Context;  // prefix, uri

const char16_t kXml[] = u"xml";

size_t Length(const WCHAR *s)
{
    size_t n = 0;
    while (s[n] != 0)
        ++n;
    return n;
}

// A prefix as the Namespaces in XML recommendation allows it (ASCII is
// checked strictly, other characters are taken as name characters).
bool ValidPrefix(const std::u16string &p)
{
    if (p.empty())
        return true;  // the default namespace
    for (size_t i = 0; i < p.size(); ++i) {
        char16_t c = p[i];
        bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80;
        bool other = (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
        if (!(letter || (i > 0 && other)))
            return false;
    }
    return true;
}

// MSXML's output protocol: *pcch is the buffer's size in characters on the
// way in and the result's length (without terminator) on the way out; a
// null buffer asks only for the length.
HRESULT CopyOut(const std::u16string &value, WCHAR *buffer, int *pcch)
{
    if (buffer == nullptr) {
        *pcch = static_cast<int>(value.size());
        return S_OK;
    }
    if (*pcch < 0 || static_cast<size_t>(*pcch) < value.size() + 1)
        return E_XML_BUFFERTOOSMALL;
    value.copy(buffer, value.size());
    buffer[value.size()] = 0;
    *pcch = static_cast<int>(value.size());
    return S_OK;
}

class NamespaceManager final : public RefCounted<IMXNamespaceManager> {
public:
    NamespaceManager()
    {
        stack_.emplace_back();
        standin::CountAdd(&standin::Counters::comObjects, 1);
    }
    ~NamespaceManager() { standin::CountAdd(&standin::Counters::comObjects, -1); }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IMXNamespaceManager)
            *ppv = static_cast<IMXNamespaceManager *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    STDMETHODIMP putAllowOverride(VARIANT_BOOL allow) override
    {
        allowOverride_ = allow != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP getAllowOverride(VARIANT_BOOL *allow) override
    {
        if (allow == nullptr)
            return E_POINTER;
        *allow = allowOverride_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP reset() override
    {
        stack_.assign(1, Context());
        return S_OK;
    }
    STDMETHODIMP pushContext() override
    {
        stack_.emplace_back();
        return S_OK;
    }
    STDMETHODIMP pushNodeContext(IXMLDOMNode *contextNode, VARIANT_BOOL deep) override
    {
        if (standin::ShouldFail("IMXNamespaceManager::pushNodeContext"))
            return FaultResult();
        Document *doc = nullptr;
        NodeRef ref;
        if (contextNode == nullptr)
            return E_POINTER;
        if (!UnwrapNode(contextNode, &doc, &ref))
            return E_INVALIDARG;
        std::vector<std::pair<std::string, std::string>> scope;
        CollectScope(ref.node, deep != VARIANT_FALSE, scope);
        Context context;
        // Outermost first, so a lookup from the back finds the innermost.
        for (auto it = scope.rbegin(); it != scope.rend(); ++it)
            context.emplace_back(ToUtf16(reinterpret_cast<const xmlChar *>(it->first.c_str())),
                                 ToUtf16(reinterpret_cast<const xmlChar *>(it->second.c_str())));
        stack_.push_back(std::move(context));
        return S_OK;
    }
    STDMETHODIMP popContext() override
    {
        if (stack_.size() <= 1)
            return E_FAIL;  // nothing pushed
        stack_.pop_back();
        return S_OK;
    }
    STDMETHODIMP declarePrefix(const WCHAR *prefix, const WCHAR *uri) override
    {
        if (standin::ShouldFail("IMXNamespaceManager::declarePrefix"))
            return FaultResult();
        if (prefix == nullptr || uri == nullptr)
            return E_INVALIDARG;
        std::u16string p(prefix), u(uri);
        if (!ValidPrefix(p) || p == kXml || p == u"xmlns")
            return E_INVALIDARG;
        Context &local = stack_.back();
        for (auto &entry : local) {
            if (entry.first == p) {
                if (!allowOverride_)
                    return E_FAIL;
                entry.second = u;
                return S_FALSE;
            }
        }
        local.emplace_back(p, u);
        return S_OK;
    }
    STDMETHODIMP getDeclaredPrefix(LONG index, WCHAR *buffer, int *pcch) override
    {
        if (pcch == nullptr)
            return E_POINTER;
        std::vector<std::u16string> prefixes = VisiblePrefixes();
        if (index < 0 || static_cast<size_t>(index) >= prefixes.size())
            return E_FAIL;
        return CopyOut(prefixes[index], buffer, pcch);
    }
    STDMETHODIMP getPrefix(const WCHAR *uri, LONG index, WCHAR *buffer, int *pcch) override
    {
        if (standin::ShouldFail("IMXNamespaceManager::getPrefix"))
            return FaultResult();
        if (pcch == nullptr)
            return E_POINTER;
        if (uri == nullptr || *uri == 0)
            return E_INVALIDARG;
        std::u16string u(uri);
        std::vector<std::u16string> matches;
        for (const std::u16string &p : VisiblePrefixes()) {
            std::u16string bound;
            if (Resolve(p, bound) && bound == u)
                matches.push_back(p);
        }
        if (index < 0 || static_cast<size_t>(index) >= matches.size())
            return E_FAIL;  // no such prefix
        return CopyOut(matches[index], buffer, pcch);
    }
    STDMETHODIMP getURI(const WCHAR *prefix, IXMLDOMNode *contextNode, WCHAR *buffer, int *pcch) override
    {
        if (standin::ShouldFail("IMXNamespaceManager::getURI"))
            return FaultResult();
        if (pcch == nullptr)
            return E_POINTER;
        if (prefix == nullptr)
            return E_INVALIDARG;
        std::u16string p(prefix, Length(prefix)), uri;
        bool bound;
        if (contextNode != nullptr) {
            // The node's own scope, not the pushed contexts.
            Document *doc = nullptr;
            NodeRef ref;
            if (!UnwrapNode(contextNode, &doc, &ref))
                return E_INVALIDARG;
            std::string p8 = ToUtf8(prefix);
            const xmlChar *found = LookupNamespace(ref.node, reinterpret_cast<const xmlChar *>(p8.c_str()));
            bound = found != nullptr;
            uri = ToUtf16(found);
        } else {
            bound = Resolve(p, uri);
        }
        if (!bound) {
            if (buffer != nullptr && *pcch > 0)
                buffer[0] = 0;
            *pcch = 0;
            return S_FALSE;
        }
        return CopyOut(uri, buffer, pcch);
    }

private:
    // The binding of p in the current context; the empty URI of an
    // undeclared default namespace counts as unbound.
    bool Resolve(const std::u16string &p, std::u16string &uri) const
    {
        if (p == kXml) {
            uri = ToUtf16(kXmlUri);
            return true;
        }
        if (p == u"xmlns")
            return false;
        for (auto context = stack_.rbegin(); context != stack_.rend(); ++context)
            for (auto entry = context->rbegin(); entry != context->rend(); ++entry)
                if (entry->first == p) {
                    uri = entry->second;
                    return !uri.empty();
                }
        return false;
    }

    // Every prefix of the current context, innermost first, each once, and
    // "xml", which is always declared.
    std::vector<std::u16string> VisiblePrefixes() const
    {
        std::vector<std::u16string> out;
        for (auto context = stack_.rbegin(); context != stack_.rend(); ++context)
            for (auto entry = context->rbegin(); entry != context->rend(); ++entry) {
                bool seen = false;
                for (const auto &p : out)
                    seen = seen || p == entry->first;
                if (!seen)
                    out.push_back(entry->first);
            }
        out.push_back(kXml);
        return out;
    }

    std::vector<Context> stack_;
    bool allowOverride_ = true;
};

}  // namespace

HRESULT CreateNamespaceManager(REFIID riid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    NamespaceManager *manager = new (std::nothrow) NamespaceManager();
    if (manager == nullptr)
        return E_OUTOFMEMORY;
    HRESULT hr = manager->QueryInterface(riid, ppv);
    manager->Release();
    return hr;
}

}  // namespace standin::msxml
