// One conversion's hold on a PrintTicket or PrintCapabilities document: the
// document, its root element and a namespace manager, with the finds and
// creations the conversions need. Lives on the stack of one call.
#pragma once

#include "platform/win32.h"

#include <memory>

class CXmlDomHelper {
public:
    CXmlDomHelper();
    CXmlDomHelper(const CXmlDomHelper &) = delete;
    CXmlDomHelper &operator=(const CXmlDomHelper &) = delete;
    virtual ~CXmlDomHelper();

    HRESULT Initialize(IXMLDOMDocument2 *pDocument, IPrintCoreHelperUni *pCoreHelper);
    void Clear();

    IXMLDOMDocument2 *Document() const { return m_pDocument; }
    IXMLDOMElement *Root() const { return m_pRoot; }

    // Finds answer S_OK with a referenced element, S_FALSE when there is none.
    HRESULT FindChildElement(IXMLDOMElement *pParent, PCWSTR pNamespace, PCWSTR pLocalName, IXMLDOMElement **ppElement);
    HRESULT FindNamedElement(IXMLDOMElement *pParent, PCWSTR pElementNamespace, PCWSTR pElementName,
                             PCWSTR pNameNamespace, PCWSTR pNameLocal, IXMLDOMElement **ppElement);
    HRESULT FindFeature(IXMLDOMElement *pParent, PCWSTR pNameNamespace, PCWSTR pNameLocal, IXMLDOMElement **ppElement);
    HRESULT FindParameterInit(IXMLDOMElement *pParent, PCWSTR pNameNamespace, PCWSTR pNameLocal,
                              IXMLDOMElement **ppElement);
    HRESULT FindOption(IXMLDOMElement *pFeature, IXMLDOMElement **ppOption);

    // The namespace URI and local name of the element's name attribute; the
    // caller frees both strings.
    HRESULT GetNameAttribute(IXMLDOMElement *pElement, BSTR *pNamespace, BSTR *pLocalName);
    HRESULT ResolvePrefix(IXMLDOMNode *pNode, PCWSTR pQualifiedName, BSTR *pNamespace);
    static HRESULT GetLocalName(PCWSTR pQualifiedName, BSTR *pLocalName);
    HRESULT GetPrefix(IXMLDOMNode *pNode, PCWSTR pNamespace, BSTR *pPrefix);
    HRESULT DeclarePrefix(IXMLDOMNode *pNode, PCWSTR pNamespace, BSTR *pPrefix);
    HRESULT CreateQName(IXMLDOMNode *pNode, PCWSTR pNamespace, PCWSTR pLocalName, BSTR *pQName);

    HRESULT SetAttribute(IXMLDOMElement *pElement, PCWSTR pName, PCWSTR pNamespace, PCWSTR pValue);
    HRESULT CreateElement(IXMLDOMElement *pParent, PCWSTR pLocalName, PCWSTR pNamespace, IXMLDOMElement **ppElement);
    HRESULT CreateValueNode(IXMLDOMElement *pParent, PCWSTR pText, INT typeCode, IXMLDOMElement **ppValue);
    HRESULT CreateParameterInitNode(IXMLDOMElement *pParent, PCWSTR pNameNamespace, PCWSTR pName, INT typeCode,
                                    PCWSTR pValue);
    HRESULT DeleteNode(IXMLDOMElement *pParent, IXMLDOMNode *pChild);

private:
    struct RootIndex;

    IXMLDOMElement *ParentOrRoot(IXMLDOMElement *pParent) const { return pParent != nullptr ? pParent : m_pRoot; }
    // The root's children as the finds compare them, read once and kept
    // until the helper changes the tree; null when they cannot be read.
    RootIndex *Index();
    bool AddChildren(RootIndex &index, IXMLDOMNodeList *pChildren, LONG count);
    void DropIndex();
    // After pChild left pParent: struck from the index, or the index dropped.
    void ForgetChild(IXMLDOMElement *pParent, IXMLDOMNode *pChild);
    // A child the helper appended to the root joins the index at its end,
    // named once its name attribute is set.
    void IndexNewRootChild(IXMLDOMElement *pElement, PCWSTR pLocalName, PCWSTR pNamespace);
    // Keeps the index true across an attribute change: the root's (a
    // declaration) drops it, the name of the child just appended names its
    // entry, another root child's drops it, deeper elements leave it.
    void AttributeChanged(IXMLDOMElement *pElement, PCWSTR pName, PCWSTR pNamespace);
    HRESULT FindIndexedElement(RootIndex &index, PCWSTR pElementNamespace, PCWSTR pElementName, PCWSTR pNameNamespace,
                               PCWSTR pNameLocal, IXMLDOMElement **ppElement);

    IXMLDOMDocument2 *m_pDocument = nullptr;
    IXMLDOMElement *m_pRoot = nullptr;
    IMXNamespaceManager *m_pNamespaceManager = nullptr;
    UINT m_nextPrefix = 0;
    std::unique_ptr<RootIndex> m_index;
    size_t m_unnamedRootChild = static_cast<size_t>(-1);  // the index entry awaiting its name
};

// Saves a document to a debug file, replacing the file whole: a fresh file in
// the same folder is written and renamed over the name, so a link planted
// under the name is replaced, never written through.
HRESULT SaveDocument(IXMLDOMDocument2 *pDocument, PCWSTR pPath);
