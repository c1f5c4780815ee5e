// MXNamespaceManager60 of the MSXML stand-in: a stack of namespace contexts,
// filled by declarePrefix and pushNodeContext, answering with MSXML's
// buffer protocol. A lookup walks the stack from the top and stops at the
// first answer, so a push costs the same whatever the scope holds.
#include "platform/linux/msxml/dom.h"

#include "platform/linux/crt/utf.h"

#include <cstring>
#include <new>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace standin::msxml {
namespace {

const char16_t kXml[] = u"xml";

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

// The same answer for UTF-8 text, which ASCII takes without a conversion.
HRESULT CopyOut(const char *value, WCHAR *buffer, int *pcch)
{
    size_t n = std::strlen(value);
    unsigned char high = 0;
    for (size_t i = 0; i < n; ++i)
        high |= static_cast<unsigned char>(value[i]);
    if (high >= 0x80)
        return CopyOut(ToUtf16(reinterpret_cast<const xmlChar *>(value)), buffer, pcch);
    if (buffer == nullptr) {
        *pcch = static_cast<int>(n);
        return S_OK;
    }
    if (*pcch < 0 || static_cast<size_t>(*pcch) < n + 1)
        return E_XML_BUFFERTOOSMALL;
    for (size_t i = 0; i < n; ++i)
        buffer[i] = static_cast<unsigned char>(value[i]);
    buffer[n] = 0;
    *pcch = static_cast<int>(n);
    return S_OK;
}

// Whether UTF-8 a and UTF-16 b are the same text: ASCII is compared unit
// for unit, the rest from the first other character through a conversion.
bool SameText(const char *a, const WCHAR *b)
{
    for (;; ++a, ++b) {
        auto ca = static_cast<unsigned char>(*a);
        char16_t cb = *b;
        if (ca >= 0x80 || cb >= 0x80)
            return ToUtf16(reinterpret_cast<const xmlChar *>(a)) == std::u16string(b);
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

// A UTF-16 text compared with the many UTF-8 ones of a walk. When it is
// ASCII a match has its length in bytes, and is compared from the end:
// namespace URIs share long beginnings.
class Matcher {
public:
    explicit Matcher(const WCHAR *text) : text_(text)
    {
        size_t n = 0;
        unsigned high = 0;
        for (; text[n] != 0; ++n)
            high |= text[n];
        units_ = n;
        ascii_ = high < 0x80;
    }
    // Whether s is the text itself.
    bool Is(const std::u16string &s) const
    {
        return s.size() == units_ && std::char_traits<char16_t>::compare(s.data(), text_, units_) == 0;
    }
    size_t Units() const { return units_; }
    bool operator()(const char *utf8) const
    {
        if (!ascii_)
            return SameText(utf8, text_);
        if (std::strlen(utf8) != units_)
            return false;
        for (size_t i = units_; i-- > 0;)
            if (static_cast<unsigned char>(utf8[i]) != text_[i])
                return false;
        return true;
    }

private:
    const WCHAR *text_;
    size_t units_ = 0;
    bool ascii_ = true;
};

bool IsXml(const char *prefix) { return prefix[0] == 'x' && std::strcmp(prefix, "xml") == 0; }
bool IsXmlns(const char *prefix) { return prefix[0] == 'x' && std::strcmp(prefix, "xmlns") == 0; }

std::string Utf8Of(const std::u16string &s)
{
    std::string out;
    standin::utf::AppendUtf8(s.data(), s.size(), out);
    return out;
}

const char *Text(const xmlChar *s) { return s != nullptr ? reinterpret_cast<const char *>(s) : ""; }

// One level of the stack. A level pushed for a node answers from the
// node's declarations (and its ancestors' when deep) as the tree has them
// when asked; nothing is copied at the push. Prefixes declared on the level
// come first; an override of a prefix the node declares takes its place.
struct Context {
    Document *doc = nullptr;  // holds a reference while node is used
    xmlNodePtr node = nullptr;
    bool deep = false;
    std::vector<std::pair<std::string, std::string>> declared;   // prefix, uri (UTF-8)
    std::vector<std::pair<std::string, std::string>> overrides;  // of the node's prefixes

    Context() = default;
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;
    Context(Context &&other) noexcept { *this = std::move(other); }
    Context &operator=(Context &&other) noexcept
    {
        std::swap(doc, other.doc);
        node = other.node;
        deep = other.deep;
        declared = std::move(other.declared);
        overrides = std::move(other.overrides);
        return *this;
    }
    ~Context()
    {
        if (doc != nullptr)
            doc->DocRelease();
    }

    // Calls visit(prefix, uri) for every binding of this level, innermost
    // first, as long as visit returns true; a prefix may come more than once
    // (an inner binding hides the later ones). False when visit stopped it.
    template <class Visit>
    bool Walk(Visit visit, unsigned long long &steps) const
    {
        for (auto entry = declared.rbegin(); entry != declared.rend(); ++entry) {
            ++steps;
            if (!visit(entry->first.c_str(), entry->second.c_str()))
                return false;
        }
        xmlNodePtr n = node;
        if (n != nullptr && n->type == XML_ATTRIBUTE_NODE)
            n = n->parent;
        // Nested elements share one namespace record (the root declares
        // it); met again, it says what it said the first time, so it is
        // visited once.
        xmlNsPtr own = nullptr;
        for (; n != nullptr && n->type == XML_ELEMENT_NODE; n = n->parent) {
            for (xmlNsPtr ns = n->nsDef; ns != nullptr; ns = ns->next) {
                if (ns == own)
                    continue;
                ++steps;
                if (!visit(Text(ns->prefix), Overridden(Text(ns->prefix), Text(ns->href))))
                    return false;
            }
            if (n->ns != nullptr && n->ns != own) {
                own = n->ns;
                ++steps;
                if (!visit(Text(own->prefix), Overridden(Text(own->prefix), Text(own->href))))
                    return false;
            }
            if (!deep)
                break;
        }
        return true;
    }

    const char *Overridden(const char *prefix, const char *uri) const
    {
        for (const auto &entry : overrides)
            if (entry.first == prefix)
                return entry.second.c_str();
        return uri;
    }
};

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
        DOM_CALL();
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
        DOM_CALL();
        allowOverride_ = allow != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP getAllowOverride(VARIANT_BOOL *allow) override
    {
        DOM_CALL();
        if (allow == nullptr)
            return E_POINTER;
        *allow = allowOverride_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP reset() override
    {
        DOM_CALL();
        ++stackChanges_;
        stack_.clear();
        stack_.emplace_back();
        return S_OK;
    }
    STDMETHODIMP pushContext() override
    {
        DOM_CALL();
        ++stackChanges_;
        stack_.emplace_back();
        return S_OK;
    }
    STDMETHODIMP pushNodeContext(IXMLDOMNode *contextNode, VARIANT_BOOL deep) override
    {
        DOM_CALL();
        if (standin::ShouldFail("IMXNamespaceManager::pushNodeContext"))
            return FaultResult();
        Document *doc = nullptr;
        NodeRef ref;
        if (contextNode == nullptr)
            return E_POINTER;
        if (!UnwrapNode(contextNode, &doc, &ref))
            return E_INVALIDARG;
        ++stackChanges_;
        stack_.emplace_back();
        Context &context = stack_.back();
        doc->DocAddRef();
        context.doc = doc;
        context.node = ref.node;
        context.deep = deep != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP popContext() override
    {
        DOM_CALL();
        if (stack_.size() <= 1)
            return E_FAIL;  // nothing pushed
        ++stackChanges_;
        stack_.pop_back();
        return S_OK;
    }
    STDMETHODIMP declarePrefix(const WCHAR *prefix, const WCHAR *uri) override
    {
        DOM_CALL();
        if (standin::ShouldFail("IMXNamespaceManager::declarePrefix"))
            return FaultResult();
        if (prefix == nullptr || uri == nullptr)
            return E_INVALIDARG;
        std::u16string p16(prefix);
        if (!ValidPrefix(p16) || p16 == kXml || p16 == u"xmlns")
            return E_INVALIDARG;
        std::string p = Utf8Of(p16), u = ToUtf8(uri);
        ++stackChanges_;
        Context &local = stack_.back();
        for (auto &entry : local.declared) {
            if (entry.first == p)
                return Override(entry.second, u);
        }
        // A prefix the level's node binds is replaced where it stands.
        bool bound = false;
        unsigned long long steps = 0;
        local.Walk(
            [&](const char *have, const char *) {
                bound = p == have;
                return !bound;
            },
            steps);
        CountScopeSteps(steps);
        if (bound) {
            for (auto &entry : local.overrides)
                if (entry.first == p)
                    return Override(entry.second, u);
            if (!allowOverride_)
                return E_FAIL;
            local.overrides.emplace_back(p, u);
            return S_FALSE;
        }
        local.declared.emplace_back(p, u);
        return S_OK;
    }
    STDMETHODIMP getDeclaredPrefix(LONG index, WCHAR *buffer, int *pcch) override
    {
        DOM_CALL();
        if (pcch == nullptr)
            return E_POINTER;
        if (index < 0)
            return E_FAIL;
        std::string found;
        bool any = false;
        LONG at = 0;
        std::unordered_set<std::string> seen;
        Walk([&](const char *prefix, const char *) {
            if (!seen.insert(prefix).second)
                return true;
            if (at++ == index) {
                found = prefix;
                any = true;
                return false;
            }
            return true;
        });
        // "xml" is always declared, after everything else.
        if (!any && at == index) {
            found = "xml";
            any = true;
        }
        if (!any)
            return E_FAIL;
        return CopyOut(found.c_str(), buffer, pcch);
    }
    STDMETHODIMP getPrefix(const WCHAR *uri, LONG index, WCHAR *buffer, int *pcch) override
    {
        DOM_CALL();
        if (standin::ShouldFail("IMXNamespaceManager::getPrefix"))
            return FaultResult();
        if (pcch == nullptr)
            return E_POINTER;
        if (uri == nullptr || *uri == 0)
            return E_INVALIDARG;
        if (index < 0)
            return E_FAIL;
        // Callers ask for the length, then for the text: the second call
        // takes the first one's answer while neither the stack nor a tree
        // it looks at has changed.
        unsigned long long version = Version();
        Matcher sameUri(uri);
        if (memo_.valid && memo_.version == version && memo_.index == index && sameUri.Is(memo_.uri))
            return memo_.found ? CopyOut(memo_.prefix.c_str(), buffer, pcch) : E_FAIL;
        // One walk, innermost first: the first binding of each prefix is the
        // one in force, so a match counts only when no binding before it in
        // the walk has its prefix, which only a match pays to check.
        const char *xml = reinterpret_cast<const char *>(kXmlUri);
        const char *found = nullptr;
        bool any = false;
        LONG matches = 0;
        size_t position = 0;
        Walk([&](const char *prefix, const char *bound) {
            size_t here = position++;
            if (IsXml(prefix))
                bound = xml;
            else if (IsXmlns(prefix))
                return true;
            if (*bound == 0 || !sameUri(bound) || Hidden(prefix, here))
                return true;
            if (matches++ == index) {
                found = prefix;
                any = true;
                return false;
            }
            return true;
        });
        if (!any && matches == index && sameUri(xml)) {
            found = "xml";
            any = true;
        }
        memo_.valid = true;
        memo_.version = version;
        memo_.index = index;
        memo_.uri.assign(uri, sameUri.Units());
        memo_.found = any;
        memo_.prefix = any ? found : "";
        if (!any)
            return E_FAIL;  // no such prefix
        return CopyOut(found, buffer, pcch);
    }
    STDMETHODIMP getURI(const WCHAR *prefix, IXMLDOMNode *contextNode, WCHAR *buffer, int *pcch) override
    {
        DOM_CALL();
        if (standin::ShouldFail("IMXNamespaceManager::getURI"))
            return FaultResult();
        if (pcch == nullptr)
            return E_POINTER;
        if (prefix == nullptr)
            return E_INVALIDARG;
        const xmlChar *found = nullptr;
        if (contextNode != nullptr) {
            // The node's own scope, not the pushed contexts.
            Document *doc = nullptr;
            NodeRef ref;
            if (!UnwrapNode(contextNode, &doc, &ref))
                return E_INVALIDARG;
            std::string p = ToUtf8(prefix);
            found = LookupNamespace(ref.node, reinterpret_cast<const xmlChar *>(p.c_str()));
        } else {
            // Asked for the length, then the text, as getPrefix is.
            unsigned long long version = Version();
            if (!uriMemo_.valid || uriMemo_.version != version || uriMemo_.prefix != prefix) {
                const char *uri = Resolve(prefix);
                uriMemo_.valid = true;
                uriMemo_.version = version;
                uriMemo_.prefix = prefix;
                uriMemo_.found = uri != nullptr;
                uriMemo_.uri = uri != nullptr ? uri : "";
            }
            found = uriMemo_.found ? reinterpret_cast<const xmlChar *>(uriMemo_.uri.c_str()) : nullptr;
        }
        if (found == nullptr) {
            if (buffer != nullptr && *pcch > 0)
                buffer[0] = 0;
            *pcch = 0;
            return S_FALSE;
        }
        return CopyOut(reinterpret_cast<const char *>(found), buffer, pcch);
    }

private:
    HRESULT Override(std::string &uri, const std::string &with)
    {
        if (!allowOverride_)
            return E_FAIL;
        uri = with;
        return S_FALSE;
    }

    // Every binding of the stack, innermost first.
    template <class Visit>
    void Walk(Visit visit) const
    {
        unsigned long long steps = 0;
        for (auto context = stack_.rbegin(); context != stack_.rend(); ++context)
            if (!context->Walk(visit, steps))
                break;
        CountScopeSteps(steps);
    }

    // Whether one of the first `before` bindings of the walk has prefix.
    bool Hidden(const char *prefix, size_t before) const
    {
        bool hidden = false;
        size_t position = 0;
        Walk([&](const char *other, const char *) {
            if (position++ == before)
                return false;
            hidden = std::strcmp(other, prefix) == 0;
            return !hidden;
        });
        return hidden;
    }

    // The binding of p in the current context, or null; the empty URI of
    // an undeclared default namespace counts as unbound.
    const char *Resolve(const WCHAR *p) const
    {
        if (SameText("xml", p))
            return reinterpret_cast<const char *>(kXmlUri);
        if (SameText("xmlns", p))
            return nullptr;
        const char *uri = nullptr;
        Matcher samePrefix(p);
        Walk([&](const char *prefix, const char *href) {
            if (!samePrefix(prefix))
                return true;
            uri = *href != 0 ? href : nullptr;
            return false;
        });
        return uri;
    }

    // Changes with every change of the stack and of the trees its levels
    // look at (whose change counts only grow).
    unsigned long long Version() const
    {
        unsigned long long version = stackChanges_;
        for (const Context &context : stack_)
            if (context.doc != nullptr)
                version += context.doc->Changes();
        return version;
    }

    std::vector<Context> stack_;
    bool allowOverride_ = true;
    unsigned long long stackChanges_ = 0;
    struct {
        bool valid = false;
        unsigned long long version = 0;
        LONG index = 0;
        std::u16string uri;
        bool found = false;
        std::string prefix;
    } memo_;
    struct {
        bool valid = false;
        unsigned long long version = 0;
        std::u16string prefix;
        bool found = false;
        std::string uri;
    } uriMemo_;
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
