#include "src/ptprovider/xmldomhelper.h"

#include "src/base/debug.h"
#include "src/base/unique.h"
#include "src/ptprovider/ptconst.h"
#include "src/ptprovider/vocabulary.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#ifndef E_XML_BUFFERTOOSMALL
#define E_XML_BUFFERTOOSMALL static_cast<HRESULT>(0xC00CE226L)
#endif

namespace {

// Names and prefixes longer than this are refused rather than built.
constexpr size_t kMaxNameUnits = 9999;
constexpr HRESULT HR_ARITHMETIC_OVERFLOW = static_cast<HRESULT>(0x80070216);
// The highest counter a generated prefix may use: ns0000 to nsFFFE.
constexpr UINT kPrefixLimit = 65535;

BSTR NewString(PCWSTR text) { return SysAllocString(text); }

// A string variant holding a copy of the text; the caller clears it.
HRESULT StringVariant(PCWSTR text, VARIANT *pVariant)
{
    VariantInit(pVariant);
    BSTR copy = SysAllocString(text);
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    V_VT(pVariant) = VT_BSTR;
    V_BSTR(pVariant) = copy;
    return S_OK;
}

VARIANT NodeTypeVariant(LONG type)
{
    VARIANT variant;
    VariantInit(&variant);
    V_VT(&variant) = VT_I4;
    V_I4(&variant) = type;
    return variant;
}

bool Equal(const WCHAR *text, PCWSTR expected)
{
    if (text == nullptr)
        return false;
    while (*text != 0 && *text == *expected) {
        ++text;
        ++expected;
    }
    return *text == *expected;
}

// The namespace and name constants the conversions pass, with their
// lengths: the same address is always the same text.
struct KnownText {
    PCWSTR text;
    size_t units;
};
constexpr KnownText kKnownTexts[] = {
    {kFrameworkNamespace, ARRAYSIZE(kFrameworkNamespace) - 1}, {kKeywordsNamespace, ARRAYSIZE(kKeywordsNamespace) - 1},
    {kPrivateNamespace, ARRAYSIZE(kPrivateNamespace) - 1},     {kInstanceNamespace, ARRAYSIZE(kInstanceNamespace) - 1},
    {kSchemaNamespace, ARRAYSIZE(kSchemaNamespace) - 1},       {kName, ARRAYSIZE(kName) - 1},
};

const KnownText *Known(PCWSTR text)
{
    for (const KnownText &known : kKnownTexts)
        if (known.text == text)
            return &known;
    return nullptr;
}

bool IsConstant(PCWSTR text) { return Known(text) != nullptr; }

// The length of a text, known without reading it for the constants.
size_t TextUnits(PCWSTR text)
{
    const KnownText *known = Known(text);
    return known != nullptr ? known->units : wcslen(text);
}

// A namespace URI the DOM answered against the one asked for: by length,
// then all at once. The long URIs share most of their text.
bool EqualUri(BSTR uri, PCWSTR expected)
{
    if (uri == nullptr)
        return false;
    size_t units = SysStringLen(uri);
    return units == TextUnits(expected) && memcmp(uri, expected, units * sizeof(WCHAR)) == 0;
}

HRESULT ChildElement(IXMLDOMNodeList *pChildren, LONG index, IXMLDOMElement **ppElement)
{
    com_ptr<IXMLDOMNode> node;
    HRESULT hr = pChildren->get_item(index, node.put());
    if (hr != S_OK || !node)
        return FAILED(hr) ? hr : E_FAIL;
    return node->QueryInterface(msxml6::IID_Element, reinterpret_cast<void **>(ppElement));
}

bool SameObject(IUnknown *a, IUnknown *b)
{
    com_ptr<IUnknown> identityA, identityB;
    if (FAILED(a->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(identityA.put()))) ||
        FAILED(b->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(identityB.put()))))
        return false;
    return identityA.get() == identityB.get();
}

// Room for the namespace URIs and prefixes of any ordinary document: an
// answer that fits takes one call to the namespace manager.
constexpr int kAnswerUnits = 256;

// The namespace manager's answer (getURI or getPrefix, as `ask` makes it)
// as a new string: into a buffer on the stack, and only when that is too
// small, asked for its length and again.
template <typename Ask>
HRESULT AskManager(Ask ask, BSTR *pAnswer)
{
    WCHAR buffer[kAnswerUnits];
    int size = kAnswerUnits;
    HRESULT hr = ask(buffer, &size);
    if (hr == S_OK) {
        *pAnswer = SysAllocStringLen(buffer, static_cast<UINT>(size));
        return *pAnswer != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    if (hr != static_cast<HRESULT>(E_XML_BUFFERTOOSMALL))
        return hr;
    int units = 0;
    hr = ask(nullptr, &units);
    if (hr != S_OK)
        return hr;
    unique_bstr answer(SysAllocStringLen(nullptr, static_cast<UINT>(units)));
    if (!answer)
        return E_OUTOFMEMORY;
    size = units + 1;
    hr = ask(answer.get(), &size);
    if (hr == S_OK)
        *pAnswer = answer.Take();
    return hr;
}

}  // namespace

// A conversion looks up each of its features and parameters among the
// root's children, which a ticket may have by the thousand: they are read
// once, and only those whose name's local part is one of the plug-in's are
// kept, so a find compares only those.
struct CXmlDomHelper::RootIndex {
    struct Child {
        com_ptr<IXMLDOMElement> element;
        unique_bstr baseName;
        unique_bstr namespaceUri;
        unique_bstr nameText;  // the name attribute as written
        size_t localAt = 0;    // where its local part starts
        bool removed = false;  // deleted through the helper since
    };
    std::vector<Child> children;
    std::vector<size_t> byName[kVocabularyNames];  // by the local part's place in the vocabulary

    bool Add(Child child, int name)
    {
        try {
            children.push_back(std::move(child));
            byName[name].push_back(children.size() - 1);
        } catch (const std::bad_alloc &) {
            return false;
        }
        return true;
    }
};

// A namespace and the prefix the root's scope gives it.
struct CXmlDomHelper::Prefix {
    PCWSTR asked = nullptr;  // the text it was asked for: the conversions pass their constants
    std::basic_string<WCHAR> uri;
    std::basic_string<WCHAR> prefix;  // empty: the default namespace
};

CXmlDomHelper::CXmlDomHelper() = default;

CXmlDomHelper::~CXmlDomHelper() { Clear(); }

HRESULT CXmlDomHelper::Initialize(IXMLDOMDocument2 *pDocument, IPrintCoreHelperUni *pCoreHelper)
{
    if (pDocument == nullptr || pCoreHelper == nullptr)
        return E_INVALIDARG;
    Clear();
    m_pDocument = pDocument;
    m_pDocument->AddRef();

    HRESULT hr =
        pCoreHelper->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, nullptr, 0, msxml6::IID_NamespaceManager,
                                                 reinterpret_cast<void **>(&m_pNamespaceManager));
    if (SUCCEEDED(hr) && m_pNamespaceManager == nullptr)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = m_pDocument->get_documentElement(&m_pRoot);
    if (SUCCEEDED(hr) && m_pRoot == nullptr)
        hr = E_FAIL;
    if (FAILED(hr)) {
        Clear();
        return hr;
    }
    return S_OK;
}

void CXmlDomHelper::Clear()
{
    DropIndex();
    m_rootPrefixes.clear();
    for (const auto &held : m_held)
        SysFreeString(held.second);
    m_held.clear();
    if (m_pDocument != nullptr) {
        m_pDocument->Release();
        m_pDocument = nullptr;
    }
    if (m_pRoot != nullptr) {
        m_pRoot->Release();
        m_pRoot = nullptr;
    }
    if (m_pNamespaceManager != nullptr) {
        m_pNamespaceManager->Release();
        m_pNamespaceManager = nullptr;
    }
}

BSTR CXmlDomHelper::Held(PCWSTR pText)
{
    // Asked again with the same text where it was asked before (a constant),
    // then anywhere; a buffer may hold another text at the same address.
    bool constant = IsConstant(pText);
    for (const auto &held : m_held)
        if (held.first == pText && (constant || Equal(held.second, pText)))
            return held.second;
    for (const auto &held : m_held)
        if (Equal(held.second, pText))
            return held.second;
    BSTR copy = SysAllocString(pText);
    if (copy == nullptr)
        return nullptr;
    try {
        m_held.emplace_back(pText, copy);
    } catch (const std::bad_alloc &) {
        SysFreeString(copy);
        return nullptr;
    }
    return copy;
}

HRESULT CXmlDomHelper::FindChildElement(IXMLDOMElement *pParent, PCWSTR pNamespace, PCWSTR pLocalName,
                                        IXMLDOMElement **ppElement)
{
    if (pParent == nullptr || pNamespace == nullptr || pLocalName == nullptr || ppElement == nullptr)
        return E_INVALIDARG;
    *ppElement = nullptr;

    // From sibling to sibling: the element sought is most often the first.
    com_ptr<IXMLDOMNode> node;
    HRESULT hr = pParent->get_firstChild(node.put());
    if (FAILED(hr))
        return hr;
    // A child that cannot be read may be the one asked for: its failure is
    // the answer, not "none", so that a caller never takes a failed read
    // for an absent element.
    while (node) {
        com_ptr<IXMLDOMElement> element;
        hr = node->QueryInterface(msxml6::IID_Element, reinterpret_cast<void **>(element.put()));
        if (FAILED(hr) && hr != E_NOINTERFACE)
            return hr;
        if (SUCCEEDED(hr)) {
            unique_bstr baseName, namespaceUri;
            hr = element->get_baseName(baseName.put());
            if (FAILED(hr))
                return hr;
            // The namespace is read only for an element the base name matches.
            if (Equal(baseName.get(), pLocalName)) {
                hr = element->get_namespaceURI(namespaceUri.put());
                if (FAILED(hr))
                    return hr;
                if (EqualUri(namespaceUri.get(), pNamespace)) {
                    *ppElement = element.Take();
                    return S_OK;
                }
            }
        }
        com_ptr<IXMLDOMNode> next;
        hr = node->get_nextSibling(next.put());
        if (FAILED(hr))
            return hr;
        node = std::move(next);
    }
    return S_FALSE;
}

HRESULT CXmlDomHelper::FindNamedElement(IXMLDOMElement *pParent, PCWSTR pElementNamespace, PCWSTR pElementName,
                                        PCWSTR pNameNamespace, PCWSTR pNameLocal, IXMLDOMElement **ppElement)
{
    if (pParent == nullptr || pElementNamespace == nullptr || pElementName == nullptr || pNameNamespace == nullptr ||
        pNameLocal == nullptr || ppElement == nullptr)
        return E_INVALIDARG;
    *ppElement = nullptr;

    if (pParent == m_pRoot && VocabularyIndex(pNameLocal, wcslen(pNameLocal)) >= 0) {
        if (RootIndex *index = Index())
            return FindIndexedElement(*index, pElementNamespace, pElementName, pNameNamespace, pNameLocal, ppElement);
    }
    com_ptr<IXMLDOMNodeList> children;
    HRESULT hr = pParent->get_childNodes(children.put());
    if (FAILED(hr) || !children)
        return FAILED(hr) ? hr : S_FALSE;
    LONG count = 0;
    hr = children->get_length(&count);
    if (FAILED(hr))
        return hr;

    // As in FindChildElement, a child that cannot be read gives its failure.
    for (LONG i = 0; i < count; ++i) {
        com_ptr<IXMLDOMElement> element;
        hr = ChildElement(children.get(), i, element.put());
        if (hr == E_NOINTERFACE)
            continue;
        if (FAILED(hr))
            return hr;
        unique_bstr baseName, namespaceUri;
        hr = element->get_baseName(baseName.put());
        if (FAILED(hr))
            return hr;
        if (!Equal(baseName.get(), pElementName))
            continue;
        hr = element->get_namespaceURI(namespaceUri.put());
        if (FAILED(hr))
            return hr;
        if (!EqualUri(namespaceUri.get(), pElementNamespace))
            continue;
        unique_bstr nameNamespace, nameLocal;
        hr = GetNameAttribute(element.get(), nameNamespace.put(), nameLocal.put());
        if (FAILED(hr))
            return hr;
        if (hr != S_OK)
            continue;  // no name, or its prefix is not bound there
        if (Equal(nameNamespace.get(), pNameNamespace) && Equal(nameLocal.get(), pNameLocal)) {
            *ppElement = element.Take();
            return S_OK;
        }
    }
    return S_FALSE;
}

CXmlDomHelper::RootIndex *CXmlDomHelper::Index()
{
    if (m_index)
        return m_index.get();
    BSTR nameAttribute = Held(kName);
    if (m_pRoot == nullptr || nameAttribute == nullptr)
        return nullptr;
    com_ptr<IXMLDOMNodeList> children;
    LONG count = 0;
    if (FAILED(m_pRoot->get_childNodes(children.put())) || !children || FAILED(children->get_length(&count)))
        return nullptr;
    std::unique_ptr<RootIndex> index(new (std::nothrow) RootIndex);
    if (!index)
        return nullptr;
    // Out of memory, or a child that cannot be read, the finds walk the
    // children instead (and meet the failure there); no exception leaves the
    // plug-in.
    for (LONG i = 0; i < count; ++i) {
        RootIndex::Child child;
        HRESULT hr = ChildElement(children.get(), i, child.element.put());
        if (hr == E_NOINTERFACE)
            continue;  // not an element
        if (FAILED(hr))
            return nullptr;
        VARIANT name;
        VariantInit(&name);
        hr = child.element->getAttribute(nameAttribute, &name);
        if (FAILED(hr))
            return nullptr;
        if (hr != S_OK || V_VT(&name) != VT_BSTR || V_BSTR(&name) == nullptr) {
            VariantClear(&name);
            continue;  // no name: never found
        }
        child.nameText.reset(V_BSTR(&name));  // the variant's string, now the child's
        const WCHAR *text = child.nameText.get();
        const WCHAR *colon = wcschr(text, TEXT(':'));
        child.localAt = colon != nullptr ? static_cast<size_t>(colon + 1 - text) : 0;
        // Only names that can be the plug-in's own are ever asked for.
        int known = VocabularyIndex(text + child.localAt, SysStringLen(child.nameText.get()) - child.localAt);
        if (known < 0)
            continue;
        if (FAILED(child.element->get_baseName(child.baseName.put())) ||
            FAILED(child.element->get_namespaceURI(child.namespaceUri.put())))
            return nullptr;
        if (!index->Add(std::move(child), known))
            return nullptr;
    }
    m_index = std::move(index);
    return m_index.get();
}

void CXmlDomHelper::DropIndex() { m_index.reset(); }

HRESULT CXmlDomHelper::CloneElement(IXMLDOMElement *pModel, IXMLDOMElement **ppCopy)
{
    if (pModel == nullptr || ppCopy == nullptr)
        return E_INVALIDARG;
    *ppCopy = nullptr;
    com_ptr<IXMLDOMNode> copy;
    HRESULT hr = pModel->cloneNode(VARIANT_TRUE, copy.put());
    if (FAILED(hr))
        return hr;
    if (!copy)
        return E_FAIL;
    return copy->QueryInterface(msxml6::IID_Element, reinterpret_cast<void **>(ppCopy));
}

HRESULT CXmlDomHelper::AppendToRoot(IXMLDOMElement *pElement, PCWSTR pLocalName, PCWSTR pNamespace, BSTR qname)
{
    if (pElement == nullptr || m_pRoot == nullptr)
        return E_INVALIDARG;
    HRESULT hr = m_pRoot->appendChild(pElement, nullptr);
    if (FAILED(hr)) {
        DropIndex();  // whatever the tree became
        return hr;
    }
    IndexNewRootChild(pElement, pLocalName, pNamespace, qname);
    return S_OK;
}

void CXmlDomHelper::IndexNewRootChild(IXMLDOMElement *pElement, PCWSTR pLocalName, PCWSTR pNamespace, BSTR qname)
{
    if (!m_index)
        return;
    RootIndex::Child child;
    const WCHAR *colon = wcschr(qname, TEXT(':'));
    child.localAt = colon != nullptr ? static_cast<size_t>(colon + 1 - qname) : 0;
    int known = VocabularyIndex(qname + child.localAt, wcslen(qname + child.localAt));
    if (known < 0)
        return;  // never asked for
    child.element.reset(pElement);
    pElement->AddRef();
    child.baseName.reset(NewString(pLocalName));
    child.namespaceUri.reset(NewString(pNamespace));
    child.nameText.reset(NewString(qname));
    if (!child.baseName || !child.namespaceUri || !child.nameText || !m_index->Add(std::move(child), known))
        DropIndex();
}

void CXmlDomHelper::ForgetChild(IXMLDOMElement *pParent, IXMLDOMNode *pChild)
{
    if (!m_index || pParent != m_pRoot)
        return;  // only the root's children are kept
    // The conversions delete what the index handed out: the same pointer.
    for (RootIndex::Child &child : m_index->children) {
        if (!child.removed && static_cast<IXMLDOMNode *>(child.element.get()) == pChild) {
            child.removed = true;
            return;
        }
    }
    // Another reference to an indexed child, or a child never indexed. Not
    // every DOM gives a node one identity (the stand-in wraps each access
    // anew), so a child it cannot tell has the index read again.
    for (RootIndex::Child &child : m_index->children) {
        if (!child.removed && SameObject(child.element.get(), pChild)) {
            child.removed = true;
            return;
        }
    }
    DropIndex();
}

HRESULT CXmlDomHelper::RemoveChild(IXMLDOMElement *pParent, IXMLDOMNode *pChild)
{
    HRESULT hr = pParent->removeChild(pChild, nullptr);
    if (SUCCEEDED(hr))
        ForgetChild(pParent, pChild);
    return hr;
}

HRESULT CXmlDomHelper::FindIndexedElement(RootIndex &index, PCWSTR pElementNamespace, PCWSTR pElementName,
                                          PCWSTR pNameNamespace, PCWSTR pNameLocal, IXMLDOMElement **ppElement)
{
    int name = VocabularyIndex(pNameLocal, wcslen(pNameLocal));
    if (name < 0)
        return S_FALSE;
    for (size_t at : index.byName[name]) {
        RootIndex::Child &child = index.children[at];
        if (child.removed || !Equal(child.baseName.get(), pElementName) ||
            !EqualUri(child.namespaceUri.get(), pElementNamespace))
            continue;
        // The local part matches by the index; the prefix is resolved where
        // the element stands, as the walk does, into a buffer of the stack
        // when it fits.
        if (child.localAt != 0 && child.localAt - 1 < kAnswerUnits && m_pNamespaceManager != nullptr) {
            WCHAR prefix[kAnswerUnits], uri[kAnswerUnits];
            memcpy(prefix, child.nameText.get(), (child.localAt - 1) * sizeof(WCHAR));
            prefix[child.localAt - 1] = 0;
            int size = kAnswerUnits;
            HRESULT hr = m_pNamespaceManager->getURI(prefix, child.element.get(), uri, &size);
            if (hr == S_OK) {
                if (!Equal(uri, pNameNamespace))
                    continue;
                child.element->AddRef();
                *ppElement = child.element.get();
                return S_OK;
            }
            if (hr != static_cast<HRESULT>(E_XML_BUFFERTOOSMALL)) {
                if (FAILED(hr))
                    return hr;  // a prefix that cannot be resolved is not an absent one
                continue;
            }
        }
        unique_bstr nameNamespace;
        HRESULT hr = ResolvePrefix(child.element.get(), child.nameText.get(), nameNamespace.put());
        if (FAILED(hr))
            return hr;
        if (hr != S_OK || !nameNamespace)
            continue;  // its prefix is not bound there
        if (Equal(nameNamespace.get(), pNameNamespace)) {
            child.element->AddRef();
            *ppElement = child.element.get();
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT CXmlDomHelper::FindFeature(IXMLDOMElement *pParent, PCWSTR pNameNamespace, PCWSTR pNameLocal,
                                   IXMLDOMElement **ppElement)
{
    return FindNamedElement(ParentOrRoot(pParent), kFrameworkNamespace, kFeature, pNameNamespace, pNameLocal,
                            ppElement);
}

HRESULT CXmlDomHelper::FindParameterInit(IXMLDOMElement *pParent, PCWSTR pNameNamespace, PCWSTR pNameLocal,
                                         IXMLDOMElement **ppElement)
{
    return FindNamedElement(ParentOrRoot(pParent), kFrameworkNamespace, kParameterInit, pNameNamespace, pNameLocal,
                            ppElement);
}

HRESULT CXmlDomHelper::FindOption(IXMLDOMElement *pFeature, IXMLDOMElement **ppOption)
{
    return FindChildElement(pFeature, kFrameworkNamespace, kOption, ppOption);
}

HRESULT CXmlDomHelper::GetNameAttribute(IXMLDOMElement *pElement, BSTR *pNamespace, BSTR *pLocalName)
{
    if (pElement == nullptr || pNamespace == nullptr || pLocalName == nullptr)
        return E_INVALIDARG;
    *pNamespace = nullptr;
    *pLocalName = nullptr;
    BSTR nameAttribute = Held(kName);
    if (nameAttribute == nullptr)
        return E_OUTOFMEMORY;

    VARIANT name;
    VariantInit(&name);
    HRESULT hr = pElement->getAttribute(nameAttribute, &name);
    if (hr != S_OK || V_VT(&name) != VT_BSTR || V_BSTR(&name) == nullptr) {
        VariantClear(&name);
        return FAILED(hr) ? hr : S_FALSE;  // no name attribute
    }
    unique_bstr text(V_BSTR(&name));

    unique_bstr uri, local;
    hr = ResolvePrefix(pElement, text.get(), uri.put());
    if (hr == S_OK && !uri)
        hr = S_FALSE;
    if (hr != S_OK)
        return hr;
    hr = GetLocalName(text.get(), local.put());
    if (FAILED(hr))
        return hr;
    *pNamespace = uri.Take();
    *pLocalName = local.Take();
    return S_OK;
}

HRESULT CXmlDomHelper::ResolvePrefix(IXMLDOMNode *pNode, PCWSTR pQualifiedName, BSTR *pNamespace)
{
    if (pNode == nullptr || pQualifiedName == nullptr || pNamespace == nullptr)
        return E_INVALIDARG;
    *pNamespace = nullptr;
    if (m_pNamespaceManager == nullptr)
        return E_UNEXPECTED;

    const WCHAR *colon = wcschr(pQualifiedName, TEXT(':'));
    size_t prefixUnits = colon != nullptr ? static_cast<size_t>(colon - pQualifiedName) : 0;
    if (prefixUnits > kMaxNameUnits)
        return E_INVALIDARG;
    WCHAR shortPrefix[64];
    unique_bstr longPrefix;
    WCHAR *prefix = shortPrefix;
    if (prefixUnits >= ARRAYSIZE(shortPrefix)) {
        longPrefix.reset(SysAllocStringLen(nullptr, static_cast<UINT>(prefixUnits)));
        if (!longPrefix)
            return E_OUTOFMEMORY;
        prefix = longPrefix.get();
    }
    memcpy(prefix, pQualifiedName, prefixUnits * sizeof(WCHAR));
    prefix[prefixUnits] = 0;
    // Asked in the node's own scope, which holds every prefix declared on
    // the root as well.
    return AskManager(
        [&](WCHAR *buffer, int *size) { return m_pNamespaceManager->getURI(prefix, pNode, buffer, size); }, pNamespace);
}

HRESULT CXmlDomHelper::GetLocalName(PCWSTR pQualifiedName, BSTR *pLocalName)
{
    if (pQualifiedName == nullptr || pLocalName == nullptr)
        return E_INVALIDARG;
    const WCHAR *colon = wcschr(pQualifiedName, TEXT(':'));
    *pLocalName = SysAllocString(colon != nullptr ? colon + 1 : pQualifiedName);
    return *pLocalName != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CXmlDomHelper::GetPrefix(IXMLDOMNode *pNode, PCWSTR pNamespace, BSTR *pPrefix)
{
    if (pNode == nullptr || pNamespace == nullptr || pPrefix == nullptr)
        return E_INVALIDARG;
    *pPrefix = nullptr;
    if (m_pNamespaceManager == nullptr)
        return E_UNEXPECTED;

    HRESULT hr = m_pNamespaceManager->pushNodeContext(pNode, VARIANT_TRUE);
    if (FAILED(hr))
        return hr;
    hr = AskManager(
        [&](WCHAR *buffer, int *size) { return m_pNamespaceManager->getPrefix(pNamespace, 0, buffer, size); }, pPrefix);
    m_pNamespaceManager->popContext();
    // No prefix in scope is an answer, not a failure.
    if (hr == S_FALSE || hr == E_FAIL)
        return S_FALSE;
    return hr;
}

HRESULT CXmlDomHelper::DeclarePrefix(IXMLDOMNode *pNode, PCWSTR pNamespace, BSTR *pPrefix)
{
    if (pNode == nullptr || pNamespace == nullptr || pPrefix == nullptr)
        return E_INVALIDARG;
    *pPrefix = nullptr;
    if (m_pNamespaceManager == nullptr || m_pRoot == nullptr)
        return E_UNEXPECTED;

    WCHAR candidate[7];
    HRESULT hr = E_FAIL;
    bool taken = false;
    while (!taken) {
        if (m_nextPrefix >= kPrefixLimit)
            return E_FAIL;
        _snwprintf_s(candidate, ARRAYSIZE(candidate), _TRUNCATE, TEXT("ns%.4X"), m_nextPrefix);
        int units = 0;
        hr = m_pNamespaceManager->getURI(candidate, pNode, nullptr, &units);
        ++m_nextPrefix;
        if (FAILED(hr))
            return hr;
        taken = hr != S_OK;
    }

    // The declaration always goes on the root, so it is in scope everywhere.
    WCHAR attribute[16];
    _snwprintf_s(attribute, ARRAYSIZE(attribute), _TRUNCATE, TEXT("xmlns:%s"), candidate);
    hr = SetAttribute(m_pRoot, attribute, TEXT(""), pNamespace);
    if (FAILED(hr))
        return hr;
    hr = m_pNamespaceManager->declarePrefix(candidate, pNamespace);
    if (FAILED(hr))
        return hr;
    // A declaration made for a deeper scope may give a namespace the root
    // already names another prefix for: what the root's scope answers is
    // asked again.
    if (pNode != static_cast<IXMLDOMNode *>(m_pRoot))
        m_rootPrefixes.clear();
    *pPrefix = SysAllocString(candidate);
    return *pPrefix != nullptr ? S_OK : E_OUTOFMEMORY;
}

const CXmlDomHelper::Prefix *CXmlDomHelper::RootPrefix(PCWSTR pNamespace, HRESULT *pResult)
{
    // The same constant, then the same text.
    bool constant = IsConstant(pNamespace);
    for (const std::unique_ptr<Prefix> &known : m_rootPrefixes) {
        if (known->asked == pNamespace && (constant || Equal(known->uri.c_str(), pNamespace))) {
            *pResult = S_OK;
            return known.get();
        }
    }
    for (const std::unique_ptr<Prefix> &known : m_rootPrefixes) {
        if (Equal(known->uri.c_str(), pNamespace)) {
            *pResult = S_OK;
            return known.get();
        }
    }
    unique_bstr prefix;
    HRESULT hr = GetPrefix(m_pRoot, pNamespace, prefix.put());
    if (hr == S_FALSE)
        hr = DeclarePrefix(m_pRoot, pNamespace, prefix.put());
    *pResult = hr;
    if (FAILED(hr))
        return nullptr;
    std::unique_ptr<Prefix> found(new (std::nothrow) Prefix);
    try {
        if (found) {
            found->asked = pNamespace;
            found->uri = pNamespace;
            found->prefix = prefix ? prefix.get() : TEXT("");
            m_rootPrefixes.push_back(std::move(found));
            return m_rootPrefixes.back().get();
        }
    } catch (const std::bad_alloc &) {
    }
    *pResult = E_OUTOFMEMORY;
    return nullptr;
}

HRESULT CXmlDomHelper::CreateQName(IXMLDOMNode *pNode, PCWSTR pNamespace, PCWSTR pLocalName, BSTR *pQName)
{
    return CreateQName(pNode, pNamespace, pLocalName, pQName, ScopeOf(pNode));
}

HRESULT CXmlDomHelper::CreateQName(IXMLDOMNode *pNode, PCWSTR pNamespace, PCWSTR pLocalName, BSTR *pQName, Scope scope)
{
    if (pNamespace == nullptr || pLocalName == nullptr || pQName == nullptr)
        return E_INVALIDARG;
    *pQName = nullptr;

    unique_bstr ownPrefix;
    const WCHAR *prefix = nullptr;
    HRESULT hr = S_OK;
    if (scope == Scope::Root && pNode != nullptr) {
        const Prefix *known = RootPrefix(pNamespace, &hr);
        if (known != nullptr)
            prefix = known->prefix.c_str();
    } else {
        hr = GetPrefix(pNode, pNamespace, ownPrefix.put());
        if (hr == S_FALSE)
            hr = DeclarePrefix(pNode, pNamespace, ownPrefix.put());
        prefix = ownPrefix.get();
    }
    if (FAILED(hr))
        return hr;

    size_t localUnits = wcsnlen(pLocalName, kMaxNameUnits + 1);
    size_t prefixUnits = prefix != nullptr ? wcsnlen(prefix, kMaxNameUnits + 1) : 0;
    if (localUnits > kMaxNameUnits || prefixUnits > kMaxNameUnits)
        return E_INVALIDARG;

    size_t total = prefixUnits != 0 ? prefixUnits + 1 + localUnits : localUnits;
    if (total < localUnits)
        return HR_ARITHMETIC_OVERFLOW;
    unique_bstr qname(SysAllocStringLen(nullptr, static_cast<UINT>(total)));
    if (!qname)
        return E_OUTOFMEMORY;
    // "prefix:local", or the local name alone; the BSTR has its terminator.
    WCHAR *at = qname.get();
    if (prefixUnits != 0) {
        memcpy(at, prefix, prefixUnits * sizeof(WCHAR));
        at += prefixUnits;
        *at++ = TEXT(':');
    }
    memcpy(at, pLocalName, localUnits * sizeof(WCHAR));
    *pQName = qname.Take();
    return S_OK;
}

HRESULT CXmlDomHelper::SetAttribute(IXMLDOMElement *pElement, PCWSTR pName, PCWSTR pNamespace, PCWSTR pValue)
{
    if (pElement == nullptr || pName == nullptr || pNamespace == nullptr || pValue == nullptr)
        return E_INVALIDARG;
    if (m_pDocument == nullptr)
        return E_UNEXPECTED;

    BSTR name = Held(pName), ns = Held(pNamespace);
    if (name == nullptr || ns == nullptr)
        return E_OUTOFMEMORY;
    com_ptr<IXMLDOMNode> node;
    HRESULT hr = m_pDocument->createNode(NodeTypeVariant(NODE_ATTRIBUTE), name, ns, node.put());
    if (FAILED(hr)) {
        WARNING(TEXT("1111  hr is %x"), hr);
        return hr;
    }
    com_ptr<IXMLDOMAttribute> attribute;
    hr = node->QueryInterface(msxml6::IID_Attribute, reinterpret_cast<void **>(attribute.put()));
    if (FAILED(hr))
        return hr;
    VARIANT value;
    hr = StringVariant(pValue, &value);
    if (FAILED(hr))
        return hr;
    hr = attribute->put_value(value);
    VariantClear(&value);
    if (FAILED(hr))
        return hr;
    hr = pElement->setAttributeNode(attribute.get(), nullptr);
    // A new name may make an element below the root one the index should
    // know: it is read again. A declaration on the root changes no name.
    if (wcscmp(pName, kName) == 0 && pNamespace[0] == 0 && pElement != m_pRoot)
        DropIndex();
    return hr;
}

HRESULT CXmlDomHelper::SetNameAttribute(IXMLDOMElement *pElement, BSTR qname)
{
    if (pElement == nullptr || qname == nullptr)
        return E_INVALIDARG;
    BSTR name = Held(kName);
    if (name == nullptr)
        return E_OUTOFMEMORY;
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = qname;  // lent, not given
    return pElement->setAttribute(name, value);
}

HRESULT CXmlDomHelper::CreateElement(IXMLDOMElement *pParent, PCWSTR pLocalName, PCWSTR pNamespace,
                                     IXMLDOMElement **ppElement)
{
    return CreateElement(pParent, pLocalName, pNamespace, ppElement, ScopeOf(pParent));
}

HRESULT CXmlDomHelper::CreateElement(IXMLDOMElement *pParent, PCWSTR pLocalName, PCWSTR pNamespace,
                                     IXMLDOMElement **ppElement, Scope parentScope)
{
    if (pParent == nullptr || pLocalName == nullptr || pNamespace == nullptr || ppElement == nullptr)
        return E_INVALIDARG;
    *ppElement = nullptr;
    if (m_pDocument == nullptr)
        return E_UNEXPECTED;

    unique_bstr qname;
    HRESULT hr = CreateQName(pParent, pNamespace, pLocalName, qname.put(), parentScope);
    if (FAILED(hr))
        return hr;
    BSTR ns = Held(pNamespace);
    if (ns == nullptr)
        return E_OUTOFMEMORY;
    com_ptr<IXMLDOMNode> node;
    hr = m_pDocument->createNode(NodeTypeVariant(NODE_ELEMENT), qname.get(), ns, node.put());
    if (FAILED(hr))
        return hr;
    hr = pParent->appendChild(node.get(), nullptr);
    if (FAILED(hr)) {
        DropIndex();  // whatever the tree became
        return hr;
    }
    // An unnamed child of the root is never found: the index learns of it
    // when it is named.
    return node->QueryInterface(msxml6::IID_Element, reinterpret_cast<void **>(ppElement));
}

HRESULT CXmlDomHelper::CreateValueNode(IXMLDOMElement *pParent, PCWSTR pText, INT typeCode, IXMLDOMElement **ppValue)
{
    return CreateValueNode(pParent, pText, typeCode, ppValue, ScopeOf(pParent));
}

HRESULT CXmlDomHelper::CreateValueNode(IXMLDOMElement *pParent, PCWSTR pText, INT typeCode, IXMLDOMElement **ppValue,
                                       Scope parentScope)
{
    if (pParent == nullptr || pText == nullptr)
        return E_INVALIDARG;
    if (ppValue != nullptr)
        *ppValue = nullptr;

    com_ptr<IXMLDOMElement> value;
    HRESULT hr = CreateElement(pParent, kValue, kFrameworkNamespace, value.put(), parentScope);
    if (FAILED(hr))
        return hr;

    static const WCHAR *const kTypeNames[] = {TEXT("integer"), TEXT("string"), TEXT("QName")};
    unique_bstr attributeName, typeName;
    CreateQName(value.get(), kInstanceNamespace, kType, attributeName.put(), parentScope);
    if (typeCode >= VALUE_INTEGER && typeCode <= VALUE_QNAME)
        CreateQName(value.get(), kSchemaNamespace, kTypeNames[typeCode], typeName.put(), parentScope);
    if (!attributeName || !typeName) {
        RemoveChild(pParent, value.get());
        return static_cast<HRESULT>(0xFFFFFFFF);
    }

    hr = SetAttribute(value.get(), attributeName.get(), kInstanceNamespace, typeName.get());
    unique_bstr text;
    if (SUCCEEDED(hr)) {
        text.reset(NewString(pText));
        if (!text)
            hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr))
        hr = value->put_text(text.get());
    if (FAILED(hr)) {
        // The element is already under its parent: an empty Value would be
        // read as a value the caller never wrote.
        RemoveChild(pParent, value.get());
        return hr;
    }
    if (ppValue != nullptr)
        *ppValue = value.Take();
    return S_OK;
}

HRESULT CXmlDomHelper::CreateParameterInitNode(IXMLDOMElement *pParent, PCWSTR pNameNamespace, PCWSTR pName,
                                               INT typeCode, PCWSTR pValue)
{
    IXMLDOMElement *parent = ParentOrRoot(pParent);
    if (pName != nullptr)
        OutputDebugStringW(pName);
    Scope scope = ScopeOf(parent);

    // Each step runs only after the ones before it; a failure is traced at
    // its step and at every step after it.
    com_ptr<IXMLDOMElement> element;
    unique_bstr qname;
    HRESULT hr = CreateElement(parent, kParameterInit, kFrameworkNamespace, element.put(), scope);
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create node fail and hr is %x"), hr);
    if (SUCCEEDED(hr))
        hr = CreateQName(element.get(), pNameNamespace, pName, qname.put(), scope);
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create qname fail and hr is %x"), hr);
    if (SUCCEEDED(hr))
        hr = SetNameAttribute(element.get(), qname.get());
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create attribute fail and hr is %x"), hr);
    if (SUCCEEDED(hr) && parent == m_pRoot)
        IndexNewRootChild(element.get(), kParameterInit, kFrameworkNamespace, qname.get());
    if (SUCCEEDED(hr))
        hr = CreateValueNode(element.get(), pValue, typeCode, nullptr, scope);
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create child value node fail and hr is %x"), hr);
    // The element is already in the ticket: one left without its name or
    // value would be read as a parameter the caller never wrote.
    if (FAILED(hr) && element && parent != nullptr)
        RemoveChild(parent, element.get());
    return hr;
}

HRESULT CXmlDomHelper::DeleteNode(IXMLDOMElement *pParent, IXMLDOMNode *pChild)
{
    if (pChild == nullptr)
        return E_INVALIDARG;
    IXMLDOMElement *parent = ParentOrRoot(pParent);
    if (parent == nullptr)
        return E_UNEXPECTED;
    WARNING(TEXT("delete node"));
    HRESULT hr = RemoveChild(parent, pChild);
    WARNING(TEXT("delete node end"));
    return hr;
}
