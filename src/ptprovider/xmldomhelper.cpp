#include "src/ptprovider/xmldomhelper.h"

#include "src/base/debug.h"
#include "src/base/unique.h"
#include "src/ptprovider/ptconst.h"

#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>
#include <vector>

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

bool Equal(BSTR text, PCWSTR expected) { return text != nullptr && wcscmp(text, expected) == 0; }

HRESULT ChildElement(IXMLDOMNodeList *pChildren, LONG index, IXMLDOMElement **ppElement)
{
    com_ptr<IXMLDOMNode> node;
    HRESULT hr = pChildren->get_item(index, node.put());
    if (hr != S_OK || !node)
        return FAILED(hr) ? hr : E_FAIL;
    return node->QueryInterface(msxml6::IID_Element, reinterpret_cast<void **>(ppElement));
}

// The text of the element's name attribute, as written (a QName).
HRESULT NameText(IXMLDOMElement *pElement, BSTR *pText)
{
    *pText = nullptr;
    com_ptr<IXMLDOMNamedNodeMap> attributes;
    HRESULT hr = pElement->get_attributes(attributes.put());
    if (FAILED(hr) || !attributes)
        return FAILED(hr) ? hr : S_FALSE;
    unique_bstr name(NewString(kName));
    if (!name)
        return E_OUTOFMEMORY;
    com_ptr<IXMLDOMNode> node;
    hr = attributes->getNamedItem(name.get(), node.put());
    if (hr != S_OK || !node)
        return hr == S_OK ? S_FALSE : hr;
    com_ptr<IXMLDOMAttribute> attribute;
    hr = node->QueryInterface(msxml6::IID_Attribute, reinterpret_cast<void **>(attribute.put()));
    if (FAILED(hr))
        return hr;
    unique_bstr text;
    hr = attribute->get_text(text.put());
    if (FAILED(hr) || !text)
        return FAILED(hr) ? hr : E_FAIL;
    *pText = text.Take();
    return S_OK;
}

bool SameObject(IUnknown *a, IUnknown *b)
{
    com_ptr<IUnknown> identityA, identityB;
    if (FAILED(a->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(identityA.put()))) ||
        FAILED(b->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(identityB.put()))))
        return false;
    return identityA.get() == identityB.get();
}

typedef std::basic_string_view<WCHAR> WideView;

}  // namespace

// A conversion looks up each of its features and parameters among the
// root's children, which a ticket may have by the thousand: they are read
// once, and the children are listed under the local part of their name
// attribute, in document order, so a find compares only those.
struct CXmlDomHelper::RootIndex {
    struct Child {
        com_ptr<IXMLDOMElement> element;
        unique_bstr baseName;
        unique_bstr namespaceUri;
        unique_bstr nameText;   // the name attribute as written
        unique_bstr nameLocal;  // its part after the prefix, a key of byNameLocal
        bool removed = false;   // deleted through the helper since
    };
    std::vector<Child> children;
    std::unordered_map<WideView, std::vector<size_t>> byNameLocal;
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

HRESULT CXmlDomHelper::FindChildElement(IXMLDOMElement *pParent, PCWSTR pNamespace, PCWSTR pLocalName,
                                        IXMLDOMElement **ppElement)
{
    if (pParent == nullptr || pNamespace == nullptr || pLocalName == nullptr || ppElement == nullptr)
        return E_INVALIDARG;
    *ppElement = nullptr;

    com_ptr<IXMLDOMNodeList> children;
    HRESULT hr = pParent->get_childNodes(children.put());
    if (FAILED(hr) || !children)
        return FAILED(hr) ? hr : S_FALSE;
    LONG count = 0;
    hr = children->get_length(&count);
    if (FAILED(hr))
        return hr;

    // A child that cannot be read may be the one asked for: its failure is
    // the answer, not "none", so that a caller never takes a failed read
    // for an absent element.
    for (LONG i = 0; i < count; ++i) {
        com_ptr<IXMLDOMElement> element;
        HRESULT hr = ChildElement(children.get(), i, element.put());
        if (hr == E_NOINTERFACE)
            continue;  // not an element
        if (FAILED(hr))
            return hr;
        unique_bstr baseName, namespaceUri;
        hr = element->get_baseName(baseName.put());
        if (FAILED(hr))
            return hr;
        // The namespace is read only for an element the base name matches.
        if (!Equal(baseName.get(), pLocalName))
            continue;
        hr = element->get_namespaceURI(namespaceUri.put());
        if (FAILED(hr))
            return hr;
        if (namespaceUri && Equal(namespaceUri.get(), pNamespace)) {
            *ppElement = element.Take();
            return S_OK;
        }
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

    if (pParent == m_pRoot) {
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
        if (!Equal(namespaceUri.get(), pElementNamespace))
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
    if (m_pRoot == nullptr)
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
    try {
        index->children.reserve(static_cast<size_t>(count));
        if (!AddChildren(*index, children.get(), count))
            return nullptr;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    m_index = std::move(index);
    return m_index.get();
}

bool CXmlDomHelper::AddChildren(RootIndex &index, IXMLDOMNodeList *pChildren, LONG count)
{
    for (LONG i = 0; i < count; ++i) {
        RootIndex::Child child;
        HRESULT hr = ChildElement(pChildren, i, child.element.put());
        if (hr == E_NOINTERFACE)
            continue;  // not an element
        if (FAILED(hr) || FAILED(child.element->get_baseName(child.baseName.put())) ||
            FAILED(child.element->get_namespaceURI(child.namespaceUri.put())))
            return false;
        hr = NameText(child.element.get(), child.nameText.put());
        if (FAILED(hr))
            return false;
        if (hr != S_OK)
            continue;  // no name: never found
        if (FAILED(GetLocalName(child.nameText.get(), child.nameLocal.put())))
            return false;
        index.byNameLocal[WideView(child.nameLocal.get())].push_back(index.children.size());
        index.children.push_back(std::move(child));
    }
    return true;
}

void CXmlDomHelper::DropIndex()
{
    m_index.reset();
    m_unnamedRootChild = static_cast<size_t>(-1);
}

void CXmlDomHelper::IndexNewRootChild(IXMLDOMElement *pElement, PCWSTR pLocalName, PCWSTR pNamespace)
{
    if (!m_index)
        return;
    RootIndex::Child child;
    child.element.reset(pElement);
    pElement->AddRef();
    child.baseName.reset(NewString(pLocalName));
    child.namespaceUri.reset(NewString(pNamespace));
    if (!child.baseName || !child.namespaceUri) {
        DropIndex();
        return;
    }
    try {
        m_index->children.push_back(std::move(child));
    } catch (const std::bad_alloc &) {
        DropIndex();
        return;
    }
    m_unnamedRootChild = m_index->children.size() - 1;
}

void CXmlDomHelper::AttributeChanged(IXMLDOMElement *pElement, PCWSTR pName, PCWSTR pNamespace)
{
    if (!m_index)
        return;
    // Where the element stands, told without node identity (a DOM may hand
    // out a new object for a node on every call): the root is the element
    // whose parent is the document.
    com_ptr<IXMLDOMNode> parent, grandparent;
    DOMNodeType parentType = NODE_INVALID;
    if (pElement == m_pRoot || FAILED(pElement->get_parentNode(parent.put())) || !parent ||
        FAILED(parent->get_nodeType(&parentType)) || parentType == NODE_DOCUMENT) {
        DropIndex();
        return;
    }
    DOMNodeType grandparentType = NODE_INVALID;
    if (FAILED(parent->get_parentNode(grandparent.put())) || !grandparent ||
        FAILED(grandparent->get_nodeType(&grandparentType))) {
        DropIndex();
        return;
    }
    if (grandparentType != NODE_DOCUMENT)
        return;  // deeper than the root's children
    size_t at = m_unnamedRootChild;
    m_unnamedRootChild = static_cast<size_t>(-1);
    bool naming = wcscmp(pName, kName) == 0 && pNamespace[0] == 0;
    if (!naming || at >= m_index->children.size() || m_index->children[at].element.get() != pElement) {
        DropIndex();
        return;
    }
    RootIndex::Child &child = m_index->children[at];
    if (NameText(child.element.get(), child.nameText.put()) != S_OK ||
        FAILED(GetLocalName(child.nameText.get(), child.nameLocal.put()))) {
        DropIndex();
        return;
    }
    try {
        m_index->byNameLocal[WideView(child.nameLocal.get())].push_back(at);
    } catch (const std::bad_alloc &) {
        DropIndex();
    }
}

void CXmlDomHelper::ForgetChild(IXMLDOMElement *pParent, IXMLDOMNode *pChild)
{
    if (!m_index)
        return;
    if (pParent == m_pRoot) {
        for (RootIndex::Child &child : m_index->children) {
            if (!child.removed && SameObject(child.element.get(), pChild)) {
                child.removed = true;
                return;
            }
        }
    }
    DropIndex();  // a child the index does not know
}

HRESULT CXmlDomHelper::FindIndexedElement(RootIndex &index, PCWSTR pElementNamespace, PCWSTR pElementName,
                                          PCWSTR pNameNamespace, PCWSTR pNameLocal, IXMLDOMElement **ppElement)
{
    auto candidates = index.byNameLocal.find(WideView(pNameLocal));
    if (candidates == index.byNameLocal.end())
        return S_FALSE;
    for (size_t at : candidates->second) {
        RootIndex::Child &child = index.children[at];
        if (child.removed || !Equal(child.baseName.get(), pElementName) ||
            !Equal(child.namespaceUri.get(), pElementNamespace))
            continue;
        // The local part matches by the index; the prefix is resolved where
        // the element stands, as the walk does.
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

    unique_bstr text;
    HRESULT hr = NameText(pElement, text.put());
    if (hr != S_OK)
        return hr;

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
    unique_bstr prefix(SysAllocStringLen(pQualifiedName, static_cast<UINT>(prefixUnits)));
    if (!prefix)
        return E_OUTOFMEMORY;

    HRESULT hr = m_pNamespaceManager->pushNodeContext(pNode, VARIANT_TRUE);
    if (FAILED(hr))
        return hr;
    int units = 0;
    hr = m_pNamespaceManager->getURI(prefix.get(), nullptr, nullptr, &units);
    if (hr == S_OK) {
        unique_bstr uri(SysAllocStringLen(nullptr, static_cast<UINT>(units)));
        if (!uri) {
            hr = E_OUTOFMEMORY;
        } else {
            int size = units + 1;
            hr = m_pNamespaceManager->getURI(prefix.get(), nullptr, uri.get(), &size);
            if (hr == S_OK)
                *pNamespace = uri.Take();
        }
    }
    m_pNamespaceManager->popContext();
    return hr;
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
    int units = 0;
    hr = m_pNamespaceManager->getPrefix(pNamespace, 0, nullptr, &units);
    if (hr == S_OK) {
        unique_bstr prefix(SysAllocStringLen(nullptr, static_cast<UINT>(units)));
        if (!prefix) {
            hr = E_OUTOFMEMORY;
        } else {
            int size = units + 1;
            hr = m_pNamespaceManager->getPrefix(pNamespace, 0, prefix.get(), &size);
            if (hr == S_OK)
                *pPrefix = prefix.Take();
        }
    }
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
    *pPrefix = SysAllocString(candidate);
    return *pPrefix != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CXmlDomHelper::CreateQName(IXMLDOMNode *pNode, PCWSTR pNamespace, PCWSTR pLocalName, BSTR *pQName)
{
    if (pNamespace == nullptr || pLocalName == nullptr || pQName == nullptr)
        return E_INVALIDARG;
    *pQName = nullptr;

    unique_bstr prefix;
    HRESULT hr = GetPrefix(pNode, pNamespace, prefix.put());
    if (hr == S_FALSE)
        hr = DeclarePrefix(pNode, pNamespace, prefix.put());
    if (FAILED(hr))
        return hr;

    size_t localUnits = wcsnlen(pLocalName, kMaxNameUnits + 1);
    size_t prefixUnits = prefix ? wcsnlen(prefix.get(), kMaxNameUnits + 1) : 0;
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
        memcpy(at, prefix.get(), prefixUnits * sizeof(WCHAR));
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

    unique_bstr name(NewString(pName)), ns(NewString(pNamespace));
    if (!name || !ns)
        return E_OUTOFMEMORY;
    com_ptr<IXMLDOMNode> node;
    HRESULT hr = m_pDocument->createNode(NodeTypeVariant(NODE_ATTRIBUTE), name.get(), ns.get(), node.put());
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
    com_ptr<IXMLDOMAttribute> replaced;
    hr = pElement->setAttributeNode(attribute.get(), replaced.put());
    // A name or a declaration may have changed.
    AttributeChanged(pElement, pName, pNamespace);
    return hr;
}

HRESULT CXmlDomHelper::CreateElement(IXMLDOMElement *pParent, PCWSTR pLocalName, PCWSTR pNamespace,
                                     IXMLDOMElement **ppElement)
{
    if (pParent == nullptr || pLocalName == nullptr || pNamespace == nullptr || ppElement == nullptr)
        return E_INVALIDARG;
    *ppElement = nullptr;
    if (m_pDocument == nullptr)
        return E_UNEXPECTED;

    unique_bstr qname;
    HRESULT hr = CreateQName(pParent, pNamespace, pLocalName, qname.put());
    if (FAILED(hr))
        return hr;
    unique_bstr ns(NewString(pNamespace));
    if (!ns)
        return E_OUTOFMEMORY;
    com_ptr<IXMLDOMNode> node;
    hr = m_pDocument->createNode(NodeTypeVariant(NODE_ELEMENT), qname.get(), ns.get(), node.put());
    if (FAILED(hr))
        return hr;
    com_ptr<IXMLDOMNode> appended;
    hr = pParent->appendChild(node.get(), appended.put());
    if (FAILED(hr)) {
        DropIndex();  // whatever the tree became
        return hr;
    }
    hr = node->QueryInterface(msxml6::IID_Element, reinterpret_cast<void **>(ppElement));
    // Only a new child of the root concerns the index.
    if (pParent == m_pRoot) {
        if (SUCCEEDED(hr))
            IndexNewRootChild(*ppElement, pLocalName, pNamespace);
        else
            DropIndex();
    }
    return hr;
}

HRESULT CXmlDomHelper::CreateValueNode(IXMLDOMElement *pParent, PCWSTR pText, INT typeCode, IXMLDOMElement **ppValue)
{
    if (pParent == nullptr || pText == nullptr)
        return E_INVALIDARG;
    if (ppValue != nullptr)
        *ppValue = nullptr;

    com_ptr<IXMLDOMElement> value;
    HRESULT hr = CreateElement(pParent, kValue, kFrameworkNamespace, value.put());
    if (FAILED(hr))
        return hr;

    static const WCHAR *const kTypeNames[] = {TEXT("integer"), TEXT("string"), TEXT("QName")};
    unique_bstr attributeName, typeName;
    CreateQName(value.get(), kInstanceNamespace, kType, attributeName.put());
    if (typeCode >= VALUE_INTEGER && typeCode <= VALUE_QNAME)
        CreateQName(value.get(), kSchemaNamespace, kTypeNames[typeCode], typeName.put());
    if (!attributeName || !typeName) {
        com_ptr<IXMLDOMNode> removed;
        pParent->removeChild(value.get(), removed.put());
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
        com_ptr<IXMLDOMNode> removed;
        pParent->removeChild(value.get(), removed.put());
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

    // Each step runs only after the ones before it; a failure is traced at
    // its step and at every step after it.
    com_ptr<IXMLDOMElement> element;
    unique_bstr qname;
    HRESULT hr = CreateElement(parent, kParameterInit, kFrameworkNamespace, element.put());
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create node fail and hr is %x"), hr);
    if (SUCCEEDED(hr))
        hr = CreateQName(element.get(), pNameNamespace, pName, qname.put());
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create qname fail and hr is %x"), hr);
    if (SUCCEEDED(hr))
        hr = SetAttribute(element.get(), kName, TEXT(""), qname.get());
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create attribute fail and hr is %x"), hr);
    if (SUCCEEDED(hr))
        hr = CreateValueNode(element.get(), pValue, typeCode, nullptr);
    if (FAILED(hr))
        WARNING(TEXT("CreateParameterInitNode:create child value node fail and hr is %x"), hr);
    // The element is already in the ticket: one left without its name or
    // value would be read as a parameter the caller never wrote.
    if (FAILED(hr) && element && parent != nullptr) {
        com_ptr<IXMLDOMNode> removed;
        parent->removeChild(element.get(), removed.put());
    }
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
    com_ptr<IXMLDOMNode> removed;
    HRESULT hr = parent->removeChild(pChild, removed.put());
    WARNING(TEXT("delete node end"));
    if (SUCCEEDED(hr))
        ForgetChild(parent, pChild);
    return hr;
}
