// Node wrappers of the MSXML stand-in: elements, attributes (namespace
// declarations included), text and the other kinds, child lists and
// attribute maps.
#include "platform/linux/msxml/nodebase.h"

#include "platform/linux/crt/utf.h"

#include <libxml/xmlsave.h>

#include <atomic>
#include <cstring>

namespace standin::msxml {

// {6F1E3C52-1B7A-4E0C-9A59-3C2A4D1B7E01}
const IID IID_StandinNode = {0x6F1E3C52, 0x1B7A, 0x4E0C, {0x9A, 0x59, 0x3C, 0x2A, 0x4D, 0x1B, 0x7E, 0x01}};
const xmlChar kXmlnsUri[] = "http://www.w3.org/2000/xmlns/";
const xmlChar kXmlUri[] = "http://www.w3.org/XML/1998/namespace";

std::u16string ToUtf16(const xmlChar *s)
{
    std::u16string out;
    if (s != nullptr)
        standin::utf::AppendUtf16(reinterpret_cast<const char *>(s), std::strlen(reinterpret_cast<const char *>(s)),
                                  out);
    return out;
}

std::string ToUtf8(const WCHAR *s)
{
    std::string out;
    if (s != nullptr) {
        size_t n = 0;
        while (s[n] != 0)
            ++n;
        standin::utf::AppendUtf8(s, n, out);
    }
    return out;
}

HRESULT ReturnString(const std::u16string &s, BSTR *out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnString(const xmlChar *s, BSTR *out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    // ASCII, what names and most values are, widens straight into the BSTR.
    const char *text = s != nullptr ? reinterpret_cast<const char *>(s) : "";
    size_t n = std::strlen(text);
    unsigned char high = 0;
    for (size_t i = 0; i < n; ++i)
        high |= static_cast<unsigned char>(text[i]);
    if (high >= 0x80)
        return ReturnString(ToUtf16(s), out);
    *out = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (*out == nullptr)
        return E_OUTOFMEMORY;
    for (size_t i = 0; i < n; ++i)
        (*out)[i] = static_cast<unsigned char>(text[i]);
    return S_OK;
}

HRESULT ReturnLocalName(const NodeRef &ref, BSTR *out)
{
    bool named = ref.decl == nullptr && (ref.node->type == XML_ELEMENT_NODE || ref.node->type == XML_ATTRIBUTE_NODE);
    if (named && ref.node->ns != nullptr)
        return ReturnString(ref.node->name, out);
    return ReturnString(LocalName(ref), out);
}

HRESULT ReturnNamespace(const NodeRef &ref, BSTR *out)
{
    bool named = ref.decl == nullptr && (ref.node->type == XML_ELEMENT_NODE || ref.node->type == XML_ATTRIBUTE_NODE);
    if (named && ref.node->ns != nullptr)
        return ReturnString(ref.node->ns->href, out);
    return ReturnString(NamespaceOf(ref), out);
}

HRESULT ReturnText(const NodeRef &ref, BSTR *out)
{
    if (ref.decl != nullptr)
        return ReturnString(ref.decl->href, out);
    xmlChar *text = xmlNodeGetContent(ref.node);
    HRESULT hr = ReturnString(text, out);
    xmlFree(text);
    return hr;
}

namespace {
std::atomic<unsigned long long> gChildSteps{0};
std::atomic<unsigned long long> gScopeSteps{0};
std::atomic<unsigned long long> gCalls{0};
}  // namespace

thread_local unsigned CallScope::depth_ = 0;

void CountCall() { gCalls.fetch_add(1, std::memory_order_relaxed); }

void CountChildSteps(unsigned long long steps)
{
    if (steps != 0)
        gChildSteps.fetch_add(steps, std::memory_order_relaxed);
}

void CountScopeSteps(unsigned long long steps)
{
    if (steps != 0)
        gScopeSteps.fetch_add(steps, std::memory_order_relaxed);
}

HRESULT FaultResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

namespace {

const xmlChar *U(const char *s) { return reinterpret_cast<const xmlChar *>(s); }
bool Same(const xmlChar *a, const xmlChar *b)
{
    return xmlStrEqual(a != nullptr ? a : U(""), b != nullptr ? b : U("")) != 0;
}

// ---- Node wrapper ---------------------------------------------------------

class DomNode final : public NodeBase<IXMLDOMElement, IXMLDOMAttribute> {
public:
    DomNode(Document *doc, NodeRef ref) : doc_(doc), ref_(ref)
    {
        doc_->DocAddRef();
        standin::CountAdd(&standin::Counters::comObjects, 1);
    }
    ~DomNode() override
    {
        standin::CountAdd(&standin::Counters::comObjects, -1);
        doc_->DocRelease();
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        DOM_CALL();
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        bool element = ref_.decl == nullptr && ref_.node->type == XML_ELEMENT_NODE;
        bool attribute = ref_.decl != nullptr || ref_.node->type == XML_ATTRIBUTE_NODE;
        if (riid == IID_StandinNode) {
            *ppv = static_cast<NodeIdentity *>(this);  // no reference; see UnwrapNode
            return S_OK;
        }
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IXMLDOMNode)
            *ppv = attribute ? static_cast<IXMLDOMNode *>(static_cast<IXMLDOMAttribute *>(this))
                             : static_cast<IXMLDOMNode *>(static_cast<IXMLDOMElement *>(this));
        else if (riid == IID_IXMLDOMElement && element)
            *ppv = static_cast<IXMLDOMElement *>(this);
        else if (riid == IID_IXMLDOMAttribute && attribute)
            *ppv = static_cast<IXMLDOMAttribute *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    // IXMLDOMElement
    STDMETHODIMP get_tagName(BSTR *name) override
    {
        DOM_CALL();
        return get_nodeName(name);
    }
    STDMETHODIMP getAttribute(BSTR name, VARIANT *value) override;
    STDMETHODIMP setAttribute(BSTR name, VARIANT value) override;
    STDMETHODIMP removeAttribute(BSTR name) override;
    STDMETHODIMP getAttributeNode(BSTR name, IXMLDOMAttribute **attribute) override;
    STDMETHODIMP setAttributeNode(IXMLDOMAttribute *attribute, IXMLDOMAttribute **old) override;
    STDMETHODIMP removeAttributeNode(IXMLDOMAttribute *attribute, IXMLDOMAttribute **old) override;
    STDMETHODIMP getElementsByTagName(BSTR, IXMLDOMNodeList **list) override
    {
        DOM_CALL();
        if (list != nullptr)
            *list = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP normalize() override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }

    // IXMLDOMAttribute
    STDMETHODIMP get_name(BSTR *name) override
    {
        DOM_CALL();
        return get_nodeName(name);
    }
    STDMETHODIMP get_value(VARIANT *value) override
    {
        DOM_CALL();
        if (value == nullptr)
            return E_INVALIDARG;
        VariantInit(value);
        value->vt = VT_BSTR;
        HRESULT hr = ReturnString(TextOf(ref_), &value->bstrVal);
        if (FAILED(hr))
            value->vt = VT_EMPTY;
        return hr;
    }
    STDMETHODIMP put_value(VARIANT value) override
    {
        DOM_CALL();
        if (value.vt != VT_BSTR)
            return E_INVALIDARG;
        return SetTextOf(doc_, ref_, value.bstrVal != nullptr ? value.bstrVal : u"");
    }

    NodeRef Ref() override { return ref_; }
    Document *Doc() override { return doc_; }

private:
    bool IsElement() const { return ref_.decl == nullptr && ref_.node->type == XML_ELEMENT_NODE; }

    Document *doc_;
    NodeRef ref_;
};

// Splits "p:local" (p may be "xmlns") at the first colon.
void SplitName(const std::string &name, std::string &prefix, std::string &local)
{
    size_t colon = name.find(':');
    if (colon == std::string::npos) {
        prefix.clear();
        local = name;
    } else {
        prefix = name.substr(0, colon);
        local = name.substr(colon + 1);
    }
}

xmlNsPtr FindDecl(xmlNodePtr element, const std::string &prefix)
{
    for (xmlNsPtr ns = element->nsDef; ns != nullptr; ns = ns->next)
        if (Same(ns->prefix, U(prefix.c_str())))
            return ns;
    return nullptr;
}

// The attribute of element whose qualified name is name; null if none.
xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string &name)
{
    std::string prefix, local;
    SplitName(name, prefix, local);
    for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
        const xmlChar *p = a->ns != nullptr ? a->ns->prefix : nullptr;
        if (Same(p, U(prefix.c_str())) && Same(a->name, U(local.c_str())))
            return a;
        if (p == nullptr && Same(a->name, U(name.c_str())))
            return a;
    }
    return nullptr;
}

bool IsDeclarationName(const std::string &name, std::string &prefix)
{
    if (name == "xmlns") {
        prefix.clear();
        return true;
    }
    if (name.compare(0, 6, "xmlns:") == 0 && name.size() > 6) {
        prefix = name.substr(6);
        return true;
    }
    return false;
}

// Declares prefix -> uri on element, replacing a declaration of the same
// prefix there.
HRESULT Declare(xmlNodePtr element, const std::string &prefix, const std::string &uri)
{
    if (prefix == "xml" || prefix == "xmlns")
        return E_INVALIDARG;
    xmlNsPtr ns = FindDecl(element, prefix);
    if (ns != nullptr) {
        xmlFree(const_cast<xmlChar *>(ns->href));
        ns->href = xmlStrdup(U(uri.c_str()));
        return ns->href != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    ns = xmlNewNs(element, U(uri.c_str()), prefix.empty() ? nullptr : U(prefix.c_str()));
    return ns != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT DomNode::getAttribute(BSTR name, VARIANT *value)
{
    DOM_CALL();
    if (name == nullptr || value == nullptr)
        return E_INVALIDARG;
    VariantInit(value);
    if (!IsElement())
        return E_FAIL;
    std::string n = ToUtf8(name), prefix;
    const xmlChar *text = nullptr;
    xmlChar *owned = nullptr;
    if (IsDeclarationName(n, prefix)) {
        xmlNsPtr ns = FindDecl(ref_.node, prefix);
        text = ns != nullptr ? ns->href : nullptr;
    } else if (xmlAttrPtr a = FindAttribute(ref_.node, n)) {
        // Most values are one text node: read in place, not copied.
        xmlNodePtr only = a->children;
        if (only != nullptr && only->next == nullptr && only->type == XML_TEXT_NODE && only->content != nullptr) {
            text = only->content;
        } else {
            owned = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a));
            text = owned != nullptr ? owned : U("");
        }
    }
    if (text == nullptr) {
        value->vt = VT_NULL;
        return S_FALSE;
    }
    value->vt = VT_BSTR;
    HRESULT hr = ReturnString(text, &value->bstrVal);
    xmlFree(owned);
    if (FAILED(hr))
        value->vt = VT_EMPTY;
    return hr;
}

HRESULT DomNode::setAttribute(BSTR name, VARIANT value)
{
    DOM_CALL();
    if (name == nullptr || *name == 0 || value.vt != VT_BSTR)
        return E_INVALIDARG;
    if (!IsElement())
        return E_FAIL;
    std::string n = ToUtf8(name), v = ToUtf8(value.bstrVal), prefix, local;
    doc_->Changed();  // an attribute's text children are replaced
    if (IsDeclarationName(n, prefix))
        return Declare(ref_.node, prefix, v);
    SplitName(n, prefix, local);
    xmlAttrPtr done = nullptr;
    if (!prefix.empty()) {
        xmlNsPtr ns = xmlSearchNs(ref_.node->doc, ref_.node, U(prefix.c_str()));
        if (ns != nullptr)
            done = xmlSetNsProp(ref_.node, ns, U(local.c_str()), U(v.c_str()));
    }
    if (done == nullptr) {
        xmlAttrPtr existing = FindAttribute(ref_.node, n);
        done = existing != nullptr ? xmlSetNsProp(ref_.node, existing->ns, existing->name, U(v.c_str()))
                                   : xmlSetProp(ref_.node, U(n.c_str()), U(v.c_str()));
    }
    return done != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT DomNode::removeAttribute(BSTR name)
{
    DOM_CALL();
    if (name == nullptr)
        return E_INVALIDARG;
    if (!IsElement())
        return E_FAIL;
    std::string n = ToUtf8(name), prefix;
    if (IsDeclarationName(n, prefix)) {
        // Nodes may still point at the record: unlink it, keep it alive.
        for (xmlNsPtr *link = &ref_.node->nsDef; *link != nullptr; link = &(*link)->next) {
            if (Same((*link)->prefix, U(prefix.c_str()))) {
                doc_->Changed();  // the scope changes
                xmlNsPtr ns = *link;
                *link = ns->next;
                ns->next = nullptr;
                doc_->KeepNs(ns);
                return S_OK;
            }
        }
        return S_FALSE;
    }
    xmlAttrPtr a = FindAttribute(ref_.node, n);
    if (a == nullptr)
        return S_FALSE;
    doc_->Changed();
    xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(a));
    doc_->Orphan(reinterpret_cast<xmlNodePtr>(a));
    return S_OK;
}

HRESULT DomNode::getAttributeNode(BSTR name, IXMLDOMAttribute **attribute)
{
    DOM_CALL();
    if (name == nullptr || attribute == nullptr)
        return E_INVALIDARG;
    *attribute = nullptr;
    if (!IsElement())
        return E_FAIL;
    std::string n = ToUtf8(name), prefix;
    NodeRef found;
    if (IsDeclarationName(n, prefix)) {
        if (xmlNsPtr ns = FindDecl(ref_.node, prefix))
            found = NodeRef{ref_.node, ns};
    } else if (xmlAttrPtr a = FindAttribute(ref_.node, n)) {
        found = NodeRef{reinterpret_cast<xmlNodePtr>(a), nullptr};
    }
    if (found.node == nullptr)
        return S_FALSE;
    return WrapNode(doc_, found, IID_IXMLDOMAttribute, reinterpret_cast<void **>(attribute));
}

HRESULT DomNode::setAttributeNode(IXMLDOMAttribute *attribute, IXMLDOMAttribute **old)
{
    DOM_CALL();
    if (old != nullptr)
        *old = nullptr;
    if (standin::ShouldFail("IXMLDOMElement::setAttributeNode"))
        return FaultResult();
    Document *d = nullptr;
    NodeRef r;
    if (attribute == nullptr || !UnwrapNode(attribute, &d, &r) || d != doc_ || r.decl != nullptr ||
        r.node->type != XML_ATTRIBUTE_NODE || r.node->doc != ref_.node->doc)
        return E_INVALIDARG;
    if (!IsElement())
        return E_FAIL;
    xmlAttrPtr attr = reinterpret_cast<xmlAttrPtr>(r.node);
    if (attr->parent != nullptr)
        return E_FAIL;  // it belongs to an element already
    doc_->Changed();

    // An xmlns or xmlns:p attribute is a declaration, not an attribute.
    std::string name = ToUtf8(NodeName(r).c_str()), prefix;
    if (IsDeclarationName(name, prefix) || (attr->ns != nullptr && Same(attr->ns->href, kXmlnsUri))) {
        if (attr->ns != nullptr && Same(attr->ns->href, kXmlnsUri))
            prefix = Same(attr->name, U("xmlns")) ? "" : reinterpret_cast<const char *>(attr->name);
        xmlChar *value = xmlNodeGetContent(r.node);
        HRESULT hr = Declare(ref_.node, prefix, value != nullptr ? reinterpret_cast<const char *>(value) : "");
        xmlFree(value);
        return hr;
    }

    // Replace an attribute of the same namespace and local name.
    for (xmlAttrPtr a = ref_.node->properties; a != nullptr; a = a->next) {
        const xmlChar *href = a->ns != nullptr ? a->ns->href : nullptr;
        const xmlChar *newHref = attr->ns != nullptr ? attr->ns->href : nullptr;
        if (Same(a->name, attr->name) && Same(href, newHref)) {
            xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(a));
            doc_->Orphan(reinterpret_cast<xmlNodePtr>(a));
            if (old != nullptr) {
                HRESULT hr = WrapNode(doc_, NodeRef{reinterpret_cast<xmlNodePtr>(a), nullptr}, IID_IXMLDOMAttribute,
                                      reinterpret_cast<void **>(old));
                if (FAILED(hr))
                    return hr;
            }
            break;
        }
    }
    doc_->Adopt(r.node);
    attr->parent = ref_.node;
    attr->next = nullptr;
    attr->prev = nullptr;
    if (ref_.node->properties == nullptr) {
        ref_.node->properties = attr;
    } else {
        xmlAttrPtr last = ref_.node->properties;
        while (last->next != nullptr)
            last = last->next;
        last->next = attr;
        attr->prev = last;
    }
    ReconcileNamespaces(r.node);
    return S_OK;
}

HRESULT DomNode::removeAttributeNode(IXMLDOMAttribute *attribute, IXMLDOMAttribute **old)
{
    DOM_CALL();
    if (old != nullptr)
        *old = nullptr;
    Document *d = nullptr;
    NodeRef r;
    if (attribute == nullptr || !UnwrapNode(attribute, &d, &r) || d != doc_ || r.decl != nullptr ||
        r.node->type != XML_ATTRIBUTE_NODE || r.node->parent != ref_.node)
        return E_INVALIDARG;
    doc_->Changed();
    xmlUnlinkNode(r.node);
    doc_->Orphan(r.node);
    if (old != nullptr)
        return WrapNode(doc_, r, IID_IXMLDOMAttribute, reinterpret_cast<void **>(old));
    return S_OK;
}

// ---- Lists ----------------------------------------------------------------

template <class Base>
class Collection : public RefCounted<Base> {
public:
    explicit Collection(Document *doc, xmlNodePtr owner) : doc_(doc), owner_(owner)
    {
        doc_->DocAddRef();
        standin::CountAdd(&standin::Counters::comObjects, 1);
    }
    virtual ~Collection()
    {
        standin::CountAdd(&standin::Counters::comObjects, -1);
        doc_->DocRelease();
    }
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        DOM_CALL();
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == Iid())
            *ppv = static_cast<Base *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        this->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetTypeInfoCount(UINT *count) override
    {
        DOM_CALL();
        if (count == nullptr)
            return E_INVALIDARG;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP get_item(LONG index, IXMLDOMNode **item) override
    {
        DOM_CALL();
        if (item == nullptr)
            return E_INVALIDARG;
        *item = nullptr;
        NodeRef ref;
        if (index < 0 || !At(index, ref))
            return S_FALSE;
        return WrapNode(doc_, ref, IID_IXMLDOMNode, reinterpret_cast<void **>(item));
    }
    STDMETHODIMP get_length(LONG *length) override
    {
        DOM_CALL();
        if (length == nullptr)
            return E_INVALIDARG;
        *length = Length();
        return S_OK;
    }
    STDMETHODIMP nextNode(IXMLDOMNode **item) override
    {
        DOM_CALL();
        HRESULT hr = get_item(cursor_, item);
        if (hr == S_OK)
            ++cursor_;
        return hr;
    }
    STDMETHODIMP reset() override
    {
        DOM_CALL();
        cursor_ = 0;
        return S_OK;
    }
    STDMETHODIMP get__newEnum(IUnknown **unk) override
    {
        DOM_CALL();
        if (unk != nullptr)
            *unk = nullptr;
        return E_NOTIMPL;
    }

protected:
    virtual const IID &Iid() const = 0;
    // The item at index, walking the live tree.
    virtual bool At(LONG index, NodeRef &ref) = 0;
    virtual LONG Length()
    {
        LONG n = 0;
        NodeRef ref;
        while (At(n, ref))
            ++n;
        return n;
    }

    Document *doc_;
    xmlNodePtr owner_;
    LONG cursor_ = 0;
};

// Callers walk a child list by index, front to back: the list keeps the
// last place it reached and its length, and walks on from there, as long
// as the document has not changed since.
class ChildList final : public Collection<IXMLDOMNodeList> {
public:
    using Collection::Collection;

protected:
    const IID &Iid() const override { return IID_IXMLDOMNodeList; }
    bool At(LONG index, NodeRef &ref) override
    {
        Revalidate();
        if (length_ >= 0 && index >= length_)
            return false;
        xmlNodePtr child = owner_ != nullptr ? owner_->children : nullptr;
        LONG at = 0;
        unsigned long long steps = 0;
        if (place_ != nullptr && index >= placeIndex_ / 2) {
            child = place_;
            at = placeIndex_;
            for (; child != nullptr && at > index; --at, ++steps)
                child = child->prev;
        }
        for (; child != nullptr && at < index; ++at, ++steps)
            child = child->next;
        CountChildSteps(steps);
        if (child == nullptr) {
            length_ = at;
            return false;
        }
        place_ = child;
        placeIndex_ = index;
        ref = NodeRef{child, nullptr};
        return true;
    }
    LONG Length() override
    {
        Revalidate();
        if (length_ < 0) {
            LONG n = placeIndex_;
            xmlNodePtr child = place_;
            if (child == nullptr) {
                n = 0;
                child = owner_ != nullptr ? owner_->children : nullptr;
            }
            unsigned long long steps = 0;
            for (; child != nullptr; child = child->next, ++steps)
                ++n;
            CountChildSteps(steps);
            length_ = n;
        }
        return length_;
    }

private:
    void Revalidate()
    {
        if (changes_ == doc_->Changes())
            return;
        changes_ = doc_->Changes();
        place_ = nullptr;
        placeIndex_ = 0;
        length_ = -1;
    }

    unsigned long changes_ = ~0ul;
    xmlNodePtr place_ = nullptr;  // the child at placeIndex_
    LONG placeIndex_ = 0;
    LONG length_ = -1;  // unknown
};

// An element's attributes as MSXML lists them: its namespace declarations,
// then its attributes.
class AttributeMap final : public Collection<IXMLDOMNamedNodeMap> {
public:
    using Collection::Collection;

    STDMETHODIMP getNamedItem(BSTR name, IXMLDOMNode **item) override
    {
        DOM_CALL();
        if (name == nullptr || item == nullptr)
            return E_INVALIDARG;
        *item = nullptr;
        std::string n = ToUtf8(name), prefix;
        NodeRef found;
        if (IsDeclarationName(n, prefix)) {
            if (xmlNsPtr ns = FindDecl(owner_, prefix))
                found = NodeRef{owner_, ns};
        } else if (xmlAttrPtr a = FindAttribute(owner_, n)) {
            found = NodeRef{reinterpret_cast<xmlNodePtr>(a), nullptr};
        }
        if (found.node == nullptr)
            return S_FALSE;
        return WrapNode(doc_, found, IID_IXMLDOMNode, reinterpret_cast<void **>(item));
    }
    STDMETHODIMP setNamedItem(IXMLDOMNode *, IXMLDOMNode **item) override
    {
        DOM_CALL();
        if (item != nullptr)
            *item = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP removeNamedItem(BSTR, IXMLDOMNode **item) override
    {
        DOM_CALL();
        if (item != nullptr)
            *item = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP getQualifiedItem(BSTR baseName, BSTR namespaceURI, IXMLDOMNode **item) override
    {
        DOM_CALL();
        if (baseName == nullptr || item == nullptr)
            return E_INVALIDARG;
        *item = nullptr;
        std::string local = ToUtf8(baseName), uri = ToUtf8(namespaceURI);
        for (xmlAttrPtr a = owner_->properties; a != nullptr; a = a->next)
            if (Same(a->name, U(local.c_str())) && Same(a->ns != nullptr ? a->ns->href : nullptr, U(uri.c_str())))
                return WrapNode(doc_, NodeRef{reinterpret_cast<xmlNodePtr>(a), nullptr}, IID_IXMLDOMNode,
                                reinterpret_cast<void **>(item));
        return S_FALSE;
    }
    STDMETHODIMP removeQualifiedItem(BSTR, BSTR, IXMLDOMNode **item) override
    {
        DOM_CALL();
        if (item != nullptr)
            *item = nullptr;
        return E_NOTIMPL;
    }

protected:
    const IID &Iid() const override { return IID_IXMLDOMNamedNodeMap; }
    bool At(LONG index, NodeRef &ref) override
    {
        for (xmlNsPtr ns = owner_->nsDef; ns != nullptr; ns = ns->next, --index)
            if (index == 0) {
                ref = NodeRef{owner_, ns};
                return true;
            }
        for (xmlAttrPtr a = owner_->properties; a != nullptr; a = a->next, --index)
            if (index == 0) {
                ref = NodeRef{reinterpret_cast<xmlNodePtr>(a), nullptr};
                return true;
            }
        return false;
    }
};

bool IsAncestorOrSelf(xmlNodePtr candidate, xmlNodePtr node)
{
    for (; node != nullptr; node = node->parent)
        if (node == candidate)
            return true;
    return false;
}

}  // namespace

// ---- Shared operations ----------------------------------------------------

HRESULT WrapNode(Document *doc, NodeRef ref, REFIID riid, void **out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    if (ref.node == nullptr)
        return S_FALSE;
    if (ref.decl == nullptr && ref.node->type == XML_DOCUMENT_NODE)
        return doc->Interface()->QueryInterface(riid, out);
    DomNode *node = new (std::nothrow) DomNode(doc, ref);
    if (node == nullptr)
        return E_OUTOFMEMORY;
    HRESULT hr = node->QueryInterface(riid, out);
    node->Release();
    return hr;
}

HRESULT WrapNode(Document *doc, xmlNodePtr node, IXMLDOMNode **out)
{
    return WrapNode(doc, NodeRef{node, nullptr}, IID_IXMLDOMNode, reinterpret_cast<void **>(out));
}

bool UnwrapNode(IUnknown *unknown, Document **doc, NodeRef *ref)
{
    void *identity = nullptr;
    if (unknown == nullptr || unknown->QueryInterface(IID_StandinNode, &identity) != S_OK || identity == nullptr)
        return false;
    auto *node = static_cast<NodeIdentity *>(identity);
    *doc = node->Doc();
    *ref = node->Ref();
    return ref->node != nullptr;
}

HRESULT NewChildList(Document *doc, xmlNodePtr parent, IXMLDOMNodeList **out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = new (std::nothrow) ChildList(doc, parent);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewAttributeMap(Document *doc, xmlNodePtr element, IXMLDOMNamedNodeMap **out)
{
    *out = new (std::nothrow) AttributeMap(doc, element);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

DOMNodeType TypeOf(const NodeRef &ref)
{
    if (ref.decl != nullptr)
        return NODE_ATTRIBUTE;
    int type = ref.node->type;
    if (type == XML_HTML_DOCUMENT_NODE)
        return NODE_DOCUMENT;
    return type >= XML_ELEMENT_NODE && type <= XML_NOTATION_NODE ? static_cast<DOMNodeType>(type) : NODE_INVALID;
}

std::u16string LocalName(const NodeRef &ref)
{
    if (ref.decl != nullptr)
        return ref.decl->prefix != nullptr ? ToUtf16(ref.decl->prefix) : u"xmlns";
    switch (ref.node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE: {
        std::u16string name = ToUtf16(ref.node->name);
        // A name kept whole because its prefix was unknown.
        if (ref.node->ns == nullptr) {
            size_t colon = name.find(u':');
            if (colon != std::u16string::npos)
                return name.substr(colon + 1);
        }
        return name;
    }
    default:
        return NodeName(ref);
    }
}

std::u16string PrefixOf(const NodeRef &ref)
{
    if (ref.decl != nullptr)
        return ref.decl->prefix != nullptr ? u"xmlns" : u"";
    if (ref.node->type != XML_ELEMENT_NODE && ref.node->type != XML_ATTRIBUTE_NODE)
        return u"";
    if (ref.node->ns != nullptr)
        return ToUtf16(ref.node->ns->prefix);
    std::u16string name = ToUtf16(ref.node->name);
    size_t colon = name.find(u':');
    return colon != std::u16string::npos ? name.substr(0, colon) : u"";
}

std::u16string NamespaceOf(const NodeRef &ref)
{
    if (ref.decl != nullptr)
        return ToUtf16(kXmlnsUri);
    if (ref.node->type != XML_ELEMENT_NODE && ref.node->type != XML_ATTRIBUTE_NODE)
        return u"";
    if (ref.node->ns != nullptr)
        return ToUtf16(ref.node->ns->href);
    // "xmlns:p" made by createNode without a namespace.
    std::u16string name = ToUtf16(ref.node->name);
    if (ref.node->type == XML_ATTRIBUTE_NODE && (name == u"xmlns" || name.compare(0, 6, u"xmlns:") == 0))
        return ToUtf16(kXmlnsUri);
    return u"";
}

std::u16string NodeName(const NodeRef &ref)
{
    if (ref.decl != nullptr)
        return ref.decl->prefix != nullptr ? u"xmlns:" + ToUtf16(ref.decl->prefix) : u"xmlns";
    xmlNodePtr n = ref.node;
    switch (n->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        if (n->ns != nullptr && n->ns->prefix != nullptr)
            return ToUtf16(n->ns->prefix) + u":" + ToUtf16(n->name);
        return ToUtf16(n->name);
    case XML_TEXT_NODE:
        return u"#text";
    case XML_CDATA_SECTION_NODE:
        return u"#cdata-section";
    case XML_COMMENT_NODE:
        return u"#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return u"#document";
    case XML_DOCUMENT_FRAG_NODE:
        return u"#document-fragment";
    default:
        return ToUtf16(n->name);
    }
}

std::u16string TextOf(const NodeRef &ref)
{
    if (ref.decl != nullptr)
        return ToUtf16(ref.decl->href);
    xmlChar *text = xmlNodeGetContent(ref.node);
    std::u16string out = ToUtf16(text);
    xmlFree(text);
    return out;
}

HRESULT SetTextOf(Document *doc, const NodeRef &ref, const WCHAR *text)
{
    doc->Changed();
    std::string value = ToUtf8(text);
    if (ref.decl != nullptr) {
        xmlChar *href = xmlStrdup(U(value.c_str()));
        if (href == nullptr)
            return E_OUTOFMEMORY;
        xmlFree(const_cast<xmlChar *>(ref.decl->href));
        ref.decl->href = href;
        return S_OK;
    }
    xmlNodePtr n = ref.node;
    switch (n->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_DOCUMENT_FRAG_NODE: {
        xmlNodePtr textNode = xmlNewDocText(n->doc, U(value.c_str()));
        if (textNode == nullptr)
            return E_OUTOFMEMORY;
        // Wrappers may still hold the old children: keep them.
        while (n->children != nullptr) {
            xmlNodePtr child = n->children;
            xmlUnlinkNode(child);
            doc->Orphan(child);
        }
        textNode->parent = n;
        n->children = n->last = textNode;
        return S_OK;
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        xmlNodeSetContent(n, nullptr);
        xmlNodeAddContent(n, U(value.c_str()));
        return S_OK;
    default:
        return E_FAIL;
    }
}

HRESULT XmlOf(const NodeRef &ref, std::u16string &out)
{
    out.clear();
    if (ref.decl != nullptr) {
        out = NodeName(ref) + u"=\"" + ToUtf16(ref.decl->href) + u"\"";
        return S_OK;
    }
    xmlBufferPtr buffer = xmlBufferCreate();
    if (buffer == nullptr)
        return E_OUTOFMEMORY;
    xmlNodePtr n = ref.node;
    if (n->type == XML_DOCUMENT_NODE) {
        // MSXML writes each top-level node on its own line.
        for (xmlNodePtr child = n->children; child != nullptr; child = child->next) {
            xmlBufferEmpty(buffer);
            if (xmlNodeDump(buffer, n->doc, child, 0, 0) < 0) {
                xmlBufferFree(buffer);
                return E_OUTOFMEMORY;
            }
            out += ToUtf16(xmlBufferContent(buffer)) + u"\r\n";
        }
    } else {
        if (xmlNodeDump(buffer, n->doc, n, 0, 0) < 0) {
            xmlBufferFree(buffer);
            return E_OUTOFMEMORY;
        }
        out = ToUtf16(xmlBufferContent(buffer));
        if (n->type == XML_ATTRIBUTE_NODE && !out.empty() && out[0] == u' ')
            out.erase(0, 1);
    }
    xmlBufferFree(buffer);
    return S_OK;
}

HRESULT InsertChild(Document *doc, xmlNodePtr parent, IXMLDOMNode *child, xmlNodePtr before, IXMLDOMNode **out)
{
    Document *childDoc = nullptr;
    NodeRef ref;
    if (child == nullptr || !UnwrapNode(child, &childDoc, &ref) || childDoc != doc || ref.decl != nullptr)
        return E_INVALIDARG;
    xmlNodePtr node = ref.node;
    if (node->doc != parent->doc || (before != nullptr && before->parent != parent))
        return E_INVALIDARG;
    bool container =
        parent->type == XML_ELEMENT_NODE || parent->type == XML_DOCUMENT_NODE || parent->type == XML_DOCUMENT_FRAG_NODE;
    bool movable =
        node->type != XML_ATTRIBUTE_NODE && node->type != XML_DOCUMENT_NODE && node->type != XML_DOCUMENT_FRAG_NODE;
    if (!container || !movable || IsAncestorOrSelf(node, parent))
        return E_FAIL;  // hierarchy error
    if (parent->type == XML_DOCUMENT_NODE) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
            return E_FAIL;
        xmlNodePtr root = xmlDocGetRootElement(parent->doc);
        if (node->type == XML_ELEMENT_NODE && root != nullptr && root != node)
            return E_FAIL;  // one document element only
    }
    if (node == before)
        before = node->next;
    doc->Changed();
    if (node->parent != nullptr)
        xmlUnlinkNode(node);
    else
        doc->Adopt(node);
    // Linked by hand: xmlAddChild would merge adjacent text nodes and free
    // the one a wrapper holds.
    node->parent = parent;
    if (before == nullptr) {
        node->prev = parent->last;
        node->next = nullptr;
        if (parent->last != nullptr)
            parent->last->next = node;
        else
            parent->children = node;
        parent->last = node;
    } else {
        node->next = before;
        node->prev = before->prev;
        if (before->prev != nullptr)
            before->prev->next = node;
        else
            parent->children = node;
        before->prev = node;
    }
    ReconcileNamespaces(node);
    if (out != nullptr) {
        child->AddRef();
        *out = child;
    }
    return S_OK;
}

HRESULT RemoveChild(Document *doc, xmlNodePtr parent, IXMLDOMNode *child, IXMLDOMNode **out)
{
    Document *childDoc = nullptr;
    NodeRef ref;
    if (child == nullptr || !UnwrapNode(child, &childDoc, &ref) || childDoc != doc || ref.decl != nullptr ||
        ref.node->type == XML_ATTRIBUTE_NODE || ref.node->parent != parent)
        return E_INVALIDARG;
    doc->Changed();
    xmlUnlinkNode(ref.node);
    doc->Orphan(ref.node);
    if (out != nullptr) {
        child->AddRef();
        *out = child;
    }
    return S_OK;
}

HRESULT CloneNode(Document *doc, const NodeRef &ref, bool deep, IXMLDOMNode **out)
{
    xmlNodePtr node = ref.node;
    if (ref.decl != nullptr || (node->type != XML_ELEMENT_NODE && node->type != XML_TEXT_NODE))
        return E_NOTIMPL;
    xmlNodePtr copy = xmlDocCopyNode(node, doc->Tree(), deep ? 1 : 2);
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    if (copy->type == XML_ELEMENT_NODE) {
        // libxml2 declares on the copy the namespaces the original had from
        // above, after the original's own declarations. Those are not the
        // clone's: they are kept aside, and the clone's names are bound where
        // it lands, as a node made by createNode is.
        xmlNsPtr *link = &copy->nsDef;
        for (xmlNsPtr own = node->nsDef; own != nullptr && *link != nullptr; own = own->next)
            link = &(*link)->next;
        xmlNsPtr borrowed = *link;
        *link = nullptr;
        while (borrowed != nullptr) {
            xmlNsPtr next = borrowed->next;
            borrowed->next = nullptr;
            doc->KeepNs(borrowed);
            borrowed = next;
        }
    }
    doc->Orphan(copy);
    return WrapNode(doc, copy, out);
}

// ---- Namespace scope ------------------------------------------------------

const xmlChar *LookupNamespace(xmlNodePtr node, const xmlChar *prefix)
{
    if (prefix != nullptr && *prefix == 0)
        prefix = nullptr;
    if (prefix != nullptr && xmlStrEqual(prefix, U("xml")))
        return kXmlUri;
    if (prefix != nullptr && xmlStrEqual(prefix, U("xmlns")))
        return nullptr;
    if (node != nullptr && node->type == XML_ATTRIBUTE_NODE)
        node = node->parent;
    for (; node != nullptr && node->type == XML_ELEMENT_NODE; node = node->parent) {
        for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next)
            if (Same(ns->prefix, prefix))
                return ns->href != nullptr && *ns->href != 0 ? ns->href : nullptr;
        if (node->ns != nullptr && Same(node->ns->prefix, prefix))
            return node->ns->href;
    }
    return nullptr;
}

void CollectScope(xmlNodePtr node, bool deep, std::vector<std::pair<std::string, std::string>> &out)
{
    out.clear();
    auto add = [&out](const xmlChar *prefix, const xmlChar *href) {
        std::string p = prefix != nullptr ? reinterpret_cast<const char *>(prefix) : "";
        for (const auto &entry : out)
            if (entry.first == p)
                return;
        out.emplace_back(p, href != nullptr ? reinterpret_cast<const char *>(href) : "");
    };
    if (node != nullptr && node->type == XML_ATTRIBUTE_NODE)
        node = node->parent;
    for (; node != nullptr && node->type == XML_ELEMENT_NODE; node = node->parent) {
        for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next)
            add(ns->prefix, ns->href);
        if (node->ns != nullptr)
            add(node->ns->prefix, node->ns->href);
        if (!deep)
            break;
    }
}

namespace {

// Points n->ns at a record in scope of owner bound the same way, declaring
// one on owner when there is none.
void Rebind(xmlNodePtr owner, xmlNsPtr *slot)
{
    xmlNsPtr ns = *slot;
    if (ns == nullptr)
        return;
    xmlNsPtr inScope = xmlSearchNs(owner->doc, owner, ns->prefix);
    if (inScope == ns)
        return;
    if (inScope != nullptr && Same(inScope->href, ns->href)) {
        *slot = inScope;
        return;
    }
    xmlNsPtr declared = xmlNewNs(owner, ns->href, ns->prefix);
    if (declared != nullptr)
        *slot = declared;
}

void ReconcileTree(xmlNodePtr node)
{
    if (node->type == XML_ATTRIBUTE_NODE) {
        if (node->parent != nullptr)
            Rebind(node->parent, &node->ns);
        return;
    }
    if (node->type != XML_ELEMENT_NODE)
        return;
    Rebind(node, &node->ns);
    for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next)
        Rebind(node, &a->ns);
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
        ReconcileTree(child);
}

}  // namespace

void ReconcileNamespaces(xmlNodePtr node)
{
    if (node != nullptr)
        ReconcileTree(node);
}

}  // namespace standin::msxml

namespace standin {

MsxmlWork GetMsxmlWork()
{
    return MsxmlWork{msxml::gChildSteps.load(std::memory_order_relaxed),
                     msxml::gScopeSteps.load(std::memory_order_relaxed), msxml::gCalls.load(std::memory_order_relaxed)};
}

}  // namespace standin
