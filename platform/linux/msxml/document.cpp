// DOMDocument60 of the MSXML stand-in: parsing with MSXML 6's safe defaults
// (no DTD, no external entities, no network, bounded depth and size),
// node creation and saving.
#include "platform/linux/crt/utf.h"
#include "platform/linux/msxml/nodebase.h"
#include "platform/windows/msxml6ids.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <fcntl.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <set>

extern "C" {
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMNodeList = {0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMNamedNodeMap = {0x2933BF83, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMAttribute = {0x2933BF85, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMParseError = {0x3EFAA426, 0x272F, 0x11D2, {0x83, 0x6F, 0x00, 0x00, 0xF8, 0x7A, 0x77, 0x82}};
const IID IID_IMXNamespaceManager = {0xC90352F6, 0x643C, 0x4FBC, {0xBB, 0x23, 0xE9, 0x96, 0xEB, 0x2D, 0x51, 0xFD}};
}

namespace standin::msxml {

HRESULT CreateNamespaceManager(REFIID riid, void **ppv);

namespace {

// Larger documents are refused before parsing, as are deeper ones while
// parsing (libxml2's limit without XML_PARSE_HUGE is 256 levels).
constexpr size_t kMaxDocumentBytes = 16u << 20;

const xmlChar *U(const char *s) { return reinterpret_cast<const xmlChar *>(s); }

// One tree the document held, with what was unlinked from it.
struct Storage {
    xmlDocPtr tree = nullptr;
    std::set<xmlNodePtr> orphans;
    std::vector<xmlNsPtr> spareNs;

    void Free()
    {
        // Only unlinked roots are freed (a node appended under another
        // orphan goes with it), then the tree, whose dictionary the names
        // of the orphans may come from.
        std::vector<xmlNodePtr> roots;
        for (xmlNodePtr node : orphans)
            if (node->parent == nullptr)
                roots.push_back(node);
        for (xmlNodePtr node : roots)
            xmlFreeNode(node);
        orphans.clear();
        if (tree != nullptr)
            xmlFreeDoc(tree);
        tree = nullptr;
        for (xmlNsPtr ns : spareNs)
            xmlFreeNs(ns);
        spareNs.clear();
    }
};

struct ParseState {
    bool dtd = false;
    int errors = 0;
};

void OnStructuredError(void *, xmlErrorPtr)
{
    // Errors are reported through the parse result; nothing goes to stderr.
}

void OnInternalSubset(void *ctx, const xmlChar *, const xmlChar *, const xmlChar *)
{
    auto *ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (auto *state = static_cast<ParseState *>(ctxt->_private))
        state->dtd = true;
    xmlStopParser(ctxt);
}

void InitLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

class DomDocument final : public NodeBase<IXMLDOMDocument2>, public Document {
public:
    DomDocument()
    {
        storage_.tree = xmlNewDoc(U("1.0"));
        standin::CountAdd(&standin::Counters::comObjects, 1);
    }
    ~DomDocument() override
    {
        storage_.Free();
        for (Storage &old : retired_)
            old.Free();
        standin::CountAdd(&standin::Counters::comObjects, -1);
    }
    bool Valid() const { return storage_.tree != nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        DOM_CALL();
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_StandinNode) {
            *ppv = static_cast<NodeIdentity *>(this);
            return S_OK;
        }
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IXMLDOMNode || riid == IID_IXMLDOMDocument ||
            riid == IID_IXMLDOMDocument2)
            *ppv = static_cast<IXMLDOMDocument2 *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    // Document
    ULONG DocAddRef() override { return AddRef(); }
    ULONG DocRelease() override { return Release(); }
    xmlDocPtr Tree() override { return storage_.tree; }
    IXMLDOMDocument *Interface() override { return this; }
    void Orphan(xmlNodePtr node) override
    {
        Storage *s = StorageOf(node);
        if (s != nullptr)
            s->orphans.insert(node);
    }
    void Adopt(xmlNodePtr node) override
    {
        Storage *s = StorageOf(node);
        if (s != nullptr)
            s->orphans.erase(node);
    }
    void KeepNs(xmlNsPtr ns) override { storage_.spareNs.push_back(ns); }
    unsigned long Changes() override { return changes_; }
    void Changed() override { ++changes_; }

    // NodeIdentity
    Document *Doc() override { return this; }
    NodeRef Ref() override { return NodeRef{reinterpret_cast<xmlNodePtr>(storage_.tree), nullptr}; }

    // IXMLDOMDocument
    STDMETHODIMP get_doctype(IXMLDOMDocumentType **type) override
    {
        DOM_CALL();
        if (type == nullptr)
            return E_INVALIDARG;
        *type = nullptr;
        return S_FALSE;  // documents with a DTD are refused
    }
    STDMETHODIMP get_implementation(IXMLDOMImplementation **impl) override
    {
        DOM_CALL();
        if (impl != nullptr)
            *impl = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_documentElement(IXMLDOMElement **element) override
    {
        DOM_CALL();
        if (element == nullptr)
            return E_INVALIDARG;
        *element = nullptr;
        xmlNodePtr root = xmlDocGetRootElement(storage_.tree);
        if (root == nullptr)
            return S_FALSE;
        return WrapNode(this, NodeRef{root, nullptr}, IID_IXMLDOMElement, reinterpret_cast<void **>(element));
    }
    STDMETHODIMP putref_documentElement(IXMLDOMElement *element) override
    {
        DOM_CALL();
        if (element == nullptr)
            return E_INVALIDARG;
        xmlNodePtr root = xmlDocGetRootElement(storage_.tree);
        if (root != nullptr) {
            IXMLDOMNode *old = nullptr;
            HRESULT hr = WrapNode(this, root, &old);
            if (FAILED(hr))
                return hr;
            hr = RemoveChild(this, Ref().node, old, nullptr);
            old->Release();
            if (FAILED(hr))
                return hr;
        }
        return InsertChild(this, Ref().node, element, nullptr, nullptr);
    }
    STDMETHODIMP createElement(BSTR tagName, IXMLDOMElement **element) override
    {
        DOM_CALL();
        if (element == nullptr)
            return E_INVALIDARG;
        *element = nullptr;
        IXMLDOMNode *node = nullptr;
        HRESULT hr = MakeNode(NODE_ELEMENT, tagName, nullptr, &node);
        if (FAILED(hr))
            return hr;
        hr = node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void **>(element));
        node->Release();
        return hr;
    }
    STDMETHODIMP createDocumentFragment(IXMLDOMDocumentFragment **frag) override
    {
        DOM_CALL();
        if (frag != nullptr)
            *frag = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP createTextNode(BSTR data, IXMLDOMText **text) override
    {
        DOM_CALL();
        if (text == nullptr)
            return E_INVALIDARG;
        *text = nullptr;
        std::string value = ToUtf8(data);
        xmlNodePtr node = xmlNewDocText(storage_.tree, U(value.c_str()));
        if (node == nullptr)
            return E_OUTOFMEMORY;
        storage_.orphans.insert(node);
        // IXMLDOMText is not declared by the stand-in; its vtable begins
        // with IXMLDOMNode's, which is what callers use.
        return WrapNode(this, node, reinterpret_cast<IXMLDOMNode **>(text));
    }
    STDMETHODIMP createComment(BSTR, IXMLDOMComment **comment) override
    {
        DOM_CALL();
        if (comment != nullptr)
            *comment = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP createCDATASection(BSTR, IXMLDOMCDATASection **cdata) override
    {
        DOM_CALL();
        if (cdata != nullptr)
            *cdata = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP createProcessingInstruction(BSTR, BSTR, IXMLDOMProcessingInstruction **pi) override
    {
        DOM_CALL();
        if (pi != nullptr)
            *pi = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP createAttribute(BSTR name, IXMLDOMAttribute **attribute) override
    {
        DOM_CALL();
        if (attribute == nullptr)
            return E_INVALIDARG;
        *attribute = nullptr;
        IXMLDOMNode *node = nullptr;
        HRESULT hr = MakeNode(NODE_ATTRIBUTE, name, nullptr, &node);
        if (FAILED(hr))
            return hr;
        hr = node->QueryInterface(IID_IXMLDOMAttribute, reinterpret_cast<void **>(attribute));
        node->Release();
        return hr;
    }
    STDMETHODIMP createEntityReference(BSTR, IXMLDOMEntityReference **ref) override
    {
        DOM_CALL();
        if (ref != nullptr)
            *ref = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP getElementsByTagName(BSTR, IXMLDOMNodeList **list) override
    {
        DOM_CALL();
        if (list != nullptr)
            *list = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode **node) override
    {
        DOM_CALL();
        if (node == nullptr)
            return E_INVALIDARG;
        *node = nullptr;
        if (standin::ShouldFail("IXMLDOMDocument::createNode"))
            return FaultResult();
        LONG kind = -1;
        if (type.vt == VT_I4 || type.vt == VT_INT)
            kind = type.lVal;
        else if (type.vt == VT_I2)
            kind = type.iVal;
        else if (type.vt == VT_BSTR && type.bstrVal != nullptr) {
            std::u16string text(type.bstrVal);
            kind = text == u"element"     ? NODE_ELEMENT
                   : text == u"attribute" ? NODE_ATTRIBUTE
                   : text == u"text"      ? NODE_TEXT
                                          : -1;
        }
        if (kind == NODE_TEXT) {
            IXMLDOMText *text = nullptr;
            HRESULT hr = createTextNode(name, &text);
            *node = reinterpret_cast<IXMLDOMNode *>(text);
            return hr;
        }
        if (kind != NODE_ELEMENT && kind != NODE_ATTRIBUTE)
            return kind < 0 ? E_INVALIDARG : E_NOTIMPL;
        return MakeNode(static_cast<DOMNodeType>(kind), name, namespaceURI, node);
    }
    STDMETHODIMP nodeFromID(BSTR, IXMLDOMNode **node) override
    {
        DOM_CALL();
        if (node != nullptr)
            *node = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP load(VARIANT source, VARIANT_BOOL *ok) override
    {
        DOM_CALL();
        if (ok != nullptr)
            *ok = VARIANT_FALSE;
        if (source.vt != VT_BSTR || source.bstrVal == nullptr)
            return E_INVALIDARG;
        std::string path = standin::MapWindowsPath(source.bstrVal);
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            Replace(nullptr);
            return S_FALSE;
        }
        std::string bytes;
        char chunk[65536];
        ssize_t got;
        while ((got = ::read(fd, chunk, sizeof chunk)) > 0 && bytes.size() <= kMaxDocumentBytes)
            bytes.append(chunk, static_cast<size_t>(got));
        ::close(fd);
        // A file carries its own encoding declaration.
        return Parse(bytes, nullptr, ok);
    }
    STDMETHODIMP get_readyState(LONG *value) override
    {
        DOM_CALL();
        if (value == nullptr)
            return E_INVALIDARG;
        *value = 4;  // complete: loading is synchronous
        return S_OK;
    }
    STDMETHODIMP get_parseError(IXMLDOMParseError **error) override
    {
        DOM_CALL();
        if (error != nullptr)
            *error = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_url(BSTR *url) override
    {
        DOM_CALL();
        if (url != nullptr)
            *url = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP get_async(VARIANT_BOOL *async) override
    {
        DOM_CALL();
        return GetFlag(async_, async);
    }
    STDMETHODIMP put_async(VARIANT_BOOL async) override
    {
        DOM_CALL();
        async_ = async != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP abort() override
    {
        DOM_CALL();
        return S_OK;
    }
    STDMETHODIMP loadXML(BSTR xml, VARIANT_BOOL *ok) override
    {
        DOM_CALL();
        if (ok != nullptr)
            *ok = VARIANT_FALSE;
        if (standin::ShouldFail("IXMLDOMDocument::loadXML"))
            return FaultResult();
        std::string bytes;
        // A BSTR is UTF-16 whatever its declaration says; refuse the
        // conversion of a huge one before making it.
        if (xml != nullptr && SysStringLen(xml) > kMaxDocumentBytes) {
            Replace(nullptr);
            return S_FALSE;
        }
        // MSXML refuses a document with an unpaired surrogate; the
        // conversion would pass it on as U+FFFD.
        size_t units = 0;
        while (xml != nullptr && xml[units] != 0)
            ++units;
        if (!standin::utf::AppendUtf8(xml, units, bytes)) {
            Replace(nullptr);
            return S_FALSE;
        }
        return Parse(bytes, "UTF-8", ok);
    }
    STDMETHODIMP save(VARIANT destination) override
    {
        DOM_CALL();
        if (standin::ShouldFail("IXMLDOMDocument::save"))
            return FaultResult();
        if (destination.vt != VT_BSTR || destination.bstrVal == nullptr || *destination.bstrVal == 0)
            return E_INVALIDARG;
        std::string path = standin::MapWindowsPath(destination.bstrVal);
        // Never written through a link planted at the name.
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && standin::RemakeParents(path))
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return E_ACCESSDENIED;
        // UTF-8 is what the tree holds: declared as the document's own
        // encoding for the save, it is written without a converter.
        const xmlChar *encoding = storage_.tree->encoding;
        storage_.tree->encoding = U("UTF-8");
        xmlSaveCtxtPtr ctxt = xmlSaveToFd(fd, nullptr, 0);
        bool written = ctxt != nullptr && xmlSaveDoc(ctxt, storage_.tree) >= 0;
        if (ctxt != nullptr)
            written = xmlSaveClose(ctxt) >= 0 && written;
        storage_.tree->encoding = encoding;
        written = ::close(fd) == 0 && written;
        return written ? S_OK : E_FAIL;
    }
    STDMETHODIMP get_validateOnParse(VARIANT_BOOL *v) override
    {
        DOM_CALL();
        return GetFlag(validate_, v);
    }
    STDMETHODIMP put_validateOnParse(VARIANT_BOOL v) override
    {
        DOM_CALL();
        validate_ = v != VARIANT_FALSE;  // there is no DTD to validate against
        return S_OK;
    }
    STDMETHODIMP get_resolveExternals(VARIANT_BOOL *v) override
    {
        DOM_CALL();
        return GetFlag(false, v);
    }
    STDMETHODIMP put_resolveExternals(VARIANT_BOOL v) override
    {
        DOM_CALL();
        // External resources are never read.
        return v == VARIANT_FALSE ? S_OK : E_NOTIMPL;
    }
    STDMETHODIMP get_preserveWhiteSpace(VARIANT_BOOL *v) override
    {
        DOM_CALL();
        return GetFlag(preserveSpace_, v);
    }
    STDMETHODIMP put_preserveWhiteSpace(VARIANT_BOOL v) override
    {
        DOM_CALL();
        preserveSpace_ = v != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_onreadystatechange(VARIANT) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP put_ondataavailable(VARIANT) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP put_ontransformnode(VARIANT) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }

    // IXMLDOMDocument2
    STDMETHODIMP get_namespaces(IXMLDOMSchemaCollection **c) override
    {
        DOM_CALL();
        if (c != nullptr)
            *c = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_schemas(VARIANT *) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP putref_schemas(VARIANT) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP validate(IXMLDOMParseError **e) override
    {
        DOM_CALL();
        if (e != nullptr)
            *e = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP setProperty(BSTR name, VARIANT value) override
    {
        DOM_CALL();
        if (name == nullptr)
            return E_INVALIDARG;
        std::u16string n(name);
        if (n == u"ProhibitDTD") {
            // DTDs stay prohibited whatever is asked.
            return S_OK;
        }
        if (n == u"SelectionLanguage" || n == u"SelectionNamespaces" || n == u"NewParser" ||
            n == u"ServerHTTPRequest" || n == u"AllowDocumentFunction" || n == u"AllowXsltScript" ||
            n == u"ResolveExternals" || n == u"ValidateOnParse" || n == u"MaxElementDepth" ||
            n == u"MultipleErrorMessages" || n == u"UseInlineSchema" || n == u"ForcedResync" || n == u"MaxXMLSize" ||
            n == u"NormalizeAttributeValues")
            return S_OK;
        (void)value;
        return E_INVALIDARG;
    }
    STDMETHODIMP getProperty(BSTR name, VARIANT *value) override
    {
        DOM_CALL();
        if (name == nullptr || value == nullptr)
            return E_INVALIDARG;
        VariantInit(value);
        std::u16string n(name);
        if (n == u"ProhibitDTD" || n == u"NewParser") {
            value->vt = VT_BOOL;
            value->boolVal = VARIANT_TRUE;
            return S_OK;
        }
        if (n == u"SelectionLanguage") {
            value->vt = VT_BSTR;
            value->bstrVal = SysAllocString(u"XPath");
            return value->bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
        }
        return E_INVALIDARG;
    }

private:
    static HRESULT GetFlag(bool flag, VARIANT_BOOL *out)
    {
        if (out == nullptr)
            return E_INVALIDARG;
        *out = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    Storage *StorageOf(xmlNodePtr node)
    {
        if (node->doc == storage_.tree)
            return &storage_;
        for (Storage &old : retired_)
            if (node->doc == old.tree)
                return &old;
        return nullptr;
    }

    // Takes tree as the document's content (an empty document for null);
    // the old tree stays alive for wrappers that still point into it.
    void Replace(xmlDocPtr tree)
    {
        if (tree == nullptr)
            tree = xmlNewDoc(U("1.0"));
        if (tree == nullptr)
            return;  // keeps the old content rather than none
        Changed();
        Storage old = std::move(storage_);
        storage_ = Storage();
        storage_.tree = tree;
        if (References() > 1 || !old.orphans.empty())
            retired_.push_back(std::move(old));
        else
            old.Free();
    }

    HRESULT Parse(const std::string &bytes, const char *encoding, VARIANT_BOOL *ok)
    {
        if (bytes.size() > kMaxDocumentBytes) {
            Replace(nullptr);
            return S_FALSE;
        }
        InitLibxml();
        xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
        if (ctxt == nullptr)
            return E_OUTOFMEMORY;
        ParseState state;
        ctxt->_private = &state;
        ctxt->sax->serror = OnStructuredError;
        ctxt->sax->error = nullptr;
        ctxt->sax->warning = nullptr;
        ctxt->sax->internalSubset = OnInternalSubset;
        ctxt->sax->externalSubset = nullptr;
        // Never XML_PARSE_NOENT, DTDLOAD or HUGE: entities are not expanded
        // from outside, nothing is fetched, the depth stays bounded.
        int options = XML_PARSE_NONET | XML_PARSE_NOCDATA;
        if (!preserveSpace_)
            options |= XML_PARSE_NOBLANKS;
        xmlDocPtr tree =
            xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding, options);
        // MSXML refuses what libxml2 only warns of: a prefix no declaration
        // binds, a malformed declaration.
        bool good = tree != nullptr && ctxt->wellFormed && ctxt->nsWellFormed && !state.dtd &&
                    tree->intSubset == nullptr && tree->extSubset == nullptr && xmlDocGetRootElement(tree) != nullptr;
        xmlFreeParserCtxt(ctxt);
        if (!good) {
            if (tree != nullptr)
                xmlFreeDoc(tree);
            Replace(nullptr);
            return S_FALSE;
        }
        Replace(tree);
        if (ok != nullptr)
            *ok = VARIANT_TRUE;
        return S_OK;
    }

    HRESULT MakeNode(DOMNodeType kind, BSTR name, BSTR namespaceURI, IXMLDOMNode **out)
    {
        *out = nullptr;
        std::string qname = ToUtf8(name), uri = ToUtf8(namespaceURI);
        if (qname.empty() || qname.find_first_of(" \t\r\n<>&\"'") != std::string::npos || qname.front() == ':' ||
            qname.back() == ':')
            return E_FAIL;
        std::string prefix, local = qname;
        size_t colon = qname.find(':');
        if (colon != std::string::npos) {
            prefix = qname.substr(0, colon);
            local = qname.substr(colon + 1);
            if (local.find(':') != std::string::npos)
                return E_FAIL;
        }
        bool declaration = kind == NODE_ATTRIBUTE && (qname == "xmlns" || prefix == "xmlns");
        if (declaration && !uri.empty() && uri != reinterpret_cast<const char *>(kXmlnsUri))
            return E_INVALIDARG;
        if (!declaration && !prefix.empty() && uri.empty())
            return E_FAIL;  // a prefix needs a namespace
        xmlNsPtr ns = nullptr;
        if (!declaration && !uri.empty()) {
            // Not declared anywhere yet: appending the node declares it
            // where it lands, unless it is in scope there already.
            ns = xmlNewNs(nullptr, U(uri.c_str()), prefix.empty() ? nullptr : U(prefix.c_str()));
            if (ns == nullptr)
                return E_OUTOFMEMORY;
            storage_.spareNs.push_back(ns);
        }
        xmlNodePtr node;
        if (kind == NODE_ELEMENT) {
            node = xmlNewDocNode(storage_.tree, ns, U((ns != nullptr ? local : qname).c_str()), nullptr);
        } else {
            // Declarations keep their whole name until an element takes them.
            node = reinterpret_cast<xmlNodePtr>(
                xmlNewDocProp(storage_.tree, U((ns != nullptr ? local : qname).c_str()), nullptr));
            if (node != nullptr)
                node->ns = ns;
        }
        if (node == nullptr)
            return E_OUTOFMEMORY;
        storage_.orphans.insert(node);
        return WrapNode(this, node, out);
    }

    Storage storage_;
    std::vector<Storage> retired_;
    bool async_ = true;
    bool validate_ = false;
    bool preserveSpace_ = false;
    unsigned long changes_ = 0;
};

HRESULT CreateDocument(REFIID riid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    InitLibxml();
    DomDocument *doc = new (std::nothrow) DomDocument();
    if (doc == nullptr)
        return E_OUTOFMEMORY;
    if (!doc->Valid()) {
        doc->Release();
        return E_OUTOFMEMORY;
    }
    HRESULT hr = doc->QueryInterface(riid, ppv);
    doc->Release();
    return hr;
}

// The stand-in is a shared library: this runs when it is loaded.
struct Registration {
    Registration() { standin::RegisterMsxmlClasses(); }
} gRegistration;

}  // namespace
}  // namespace standin::msxml

namespace standin {

void RegisterMsxmlClasses()
{
    RegisterClass(CLSID_DOMDocument60, msxml::CreateDocument);
    RegisterClass(CLSID_FreeThreadedDOMDocument60, msxml::CreateDocument);
    RegisterClass(CLSID_MXNamespaceManager60, msxml::CreateNamespaceManager);
}

}  // namespace standin
