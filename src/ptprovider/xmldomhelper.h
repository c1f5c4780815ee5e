// One conversion's hold on a PrintTicket or PrintCapabilities document: the
// document, its root element and a namespace manager, with the finds and
// creations the conversions need. Lives on the stack of one call.
#pragma once

#include "platform/win32.h"

#include <memory>
#include <vector>

class CXmlDomHelper {
public:
    // Where an element stands for the names made for it. The root, and the
    // elements the helper creates under an element of the root's scope,
    // declare nothing of their own: their names take the prefixes looked up
    // once on the root. Any other element is asked about its own scope.
    enum class Scope { Own, Root };

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
    // The scope is Root for the root itself unless told otherwise.
    HRESULT CreateQName(IXMLDOMNode *pNode, PCWSTR pNamespace, PCWSTR pLocalName, BSTR *pQName);
    HRESULT CreateQName(IXMLDOMNode *pNode, PCWSTR pNamespace, PCWSTR pLocalName, BSTR *pQName, Scope scope);

    HRESULT SetAttribute(IXMLDOMElement *pElement, PCWSTR pName, PCWSTR pNamespace, PCWSTR pValue);
    // The name attribute (no namespace) of an element the helper created.
    HRESULT SetNameAttribute(IXMLDOMElement *pElement, BSTR qname);
    HRESULT CreateElement(IXMLDOMElement *pParent, PCWSTR pLocalName, PCWSTR pNamespace, IXMLDOMElement **ppElement);
    HRESULT CreateElement(IXMLDOMElement *pParent, PCWSTR pLocalName, PCWSTR pNamespace, IXMLDOMElement **ppElement,
                          Scope parentScope);
    HRESULT CreateValueNode(IXMLDOMElement *pParent, PCWSTR pText, INT typeCode, IXMLDOMElement **ppValue);
    HRESULT CreateValueNode(IXMLDOMElement *pParent, PCWSTR pText, INT typeCode, IXMLDOMElement **ppValue,
                            Scope parentScope);
    HRESULT CreateParameterInitNode(IXMLDOMElement *pParent, PCWSTR pNameNamespace, PCWSTR pName, INT typeCode,
                                    PCWSTR pValue);
    HRESULT DeleteNode(IXMLDOMElement *pParent, IXMLDOMNode *pChild);
    // A child the caller appended to the root and named (qname) joins the
    // finds' index.
    void IndexNewRootChild(IXMLDOMElement *pElement, PCWSTR pLocalName, PCWSTR pNamespace, BSTR qname);
    // A deep copy of pModel, in no place of the tree yet.
    HRESULT CloneElement(IXMLDOMElement *pModel, IXMLDOMElement **ppCopy);
    // pElement, named qname, appended as the root's last child.
    HRESULT AppendToRoot(IXMLDOMElement *pElement, PCWSTR pLocalName, PCWSTR pNamespace, BSTR qname);

private:
    struct RootIndex;
    struct Prefix;

    IXMLDOMElement *ParentOrRoot(IXMLDOMElement *pParent) const { return pParent != nullptr ? pParent : m_pRoot; }
    Scope ScopeOf(IXMLDOMNode *pNode) const
    {
        return pNode != nullptr && pNode == static_cast<IXMLDOMNode *>(m_pRoot) ? Scope::Root : Scope::Own;
    }
    // The prefix the root's scope gives the namespace, looked up (or
    // declared) once per helper; null when neither worked.
    const Prefix *RootPrefix(PCWSTR pNamespace, HRESULT *pResult);
    // The children of the root named as the plug-in's own, read once and
    // kept true as the helper changes the tree; null when they cannot be
    // read.
    RootIndex *Index();
    void DropIndex();
    // After pChild left pParent: struck from the index (the index holds the
    // elements it hands out, so the pointer tells), or the index dropped.
    void ForgetChild(IXMLDOMElement *pParent, IXMLDOMNode *pChild);
    HRESULT RemoveChild(IXMLDOMElement *pParent, IXMLDOMNode *pChild);
    HRESULT FindIndexedElement(RootIndex &index, PCWSTR pElementNamespace, PCWSTR pElementName, PCWSTR pNameNamespace,
                               PCWSTR pNameLocal, IXMLDOMElement **ppElement);
    // A system string held for the helper's life: namespace URIs and the
    // attribute name handed to the DOM again and again.
    BSTR Held(PCWSTR pText);

    IXMLDOMDocument2 *m_pDocument = nullptr;
    IXMLDOMElement *m_pRoot = nullptr;
    IMXNamespaceManager *m_pNamespaceManager = nullptr;
    UINT m_nextPrefix = 0;
    std::unique_ptr<RootIndex> m_index;
    std::vector<std::unique_ptr<Prefix>> m_rootPrefixes;
    std::vector<std::pair<PCWSTR, BSTR>> m_held;  // by the text it was asked for
};

// Saves a document to a debug file, replacing the file whole: a fresh file in
// the same folder is written and renamed over the name, so a link planted
// under the name is replaced, never written through.
HRESULT SaveDocument(IXMLDOMDocument2 *pDocument, PCWSTR pPath);
