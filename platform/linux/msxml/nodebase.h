// The IXMLDOMNode methods every node object of the stand-in shares (the
// document, element, attribute, text and other wrappers).
#pragma once

#include "platform/linux/msxml/dom.h"

namespace standin::msxml {

// The qualified name of an element or attribute, or MSXML's "#text" etc.
std::u16string NodeName(const NodeRef &ref);
std::u16string LocalName(const NodeRef &ref);
std::u16string PrefixOf(const NodeRef &ref);
std::u16string NamespaceOf(const NodeRef &ref);
std::u16string TextOf(const NodeRef &ref);
// The same answers as ReturnString(LocalName(ref)) etc., without the copy.
HRESULT ReturnLocalName(const NodeRef &ref, BSTR *out);
HRESULT ReturnNamespace(const NodeRef &ref, BSTR *out);
HRESULT ReturnText(const NodeRef &ref, BSTR *out);
HRESULT SetTextOf(Document *doc, const NodeRef &ref, const WCHAR *text);
HRESULT XmlOf(const NodeRef &ref, std::u16string &out);
DOMNodeType TypeOf(const NodeRef &ref);
// Links child under parent before ref (or last); checks the hierarchy.
HRESULT InsertChild(Document *doc, xmlNodePtr parent, IXMLDOMNode *child, xmlNodePtr before, IXMLDOMNode **out);
HRESULT RemoveChild(Document *doc, xmlNodePtr parent, IXMLDOMNode *child, IXMLDOMNode **out);
// An element or text copied (an element with its attributes, and with its
// subtree when deep) into a node of no parent; other kinds are not cloned.
HRESULT CloneNode(Document *doc, const NodeRef &ref, bool deep, IXMLDOMNode **out);
HRESULT NewChildList(Document *doc, xmlNodePtr parent, IXMLDOMNodeList **out);
HRESULT NewAttributeMap(Document *doc, xmlNodePtr element, IXMLDOMNamedNodeMap **out);

template <class... Bases>
class NodeBase : public RefCounted<Bases...>, public NodeIdentity {
public:
    virtual ~NodeBase() = default;

    // IDispatch: the plug-in only calls the vtable.
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

    STDMETHODIMP get_nodeName(BSTR *name) override
    {
        DOM_CALL();
        return ReturnString(NodeName(Ref()), name);
    }
    STDMETHODIMP get_nodeValue(VARIANT *value) override
    {
        DOM_CALL();
        if (value == nullptr)
            return E_INVALIDARG;
        VariantInit(value);
        DOMNodeType type = TypeOf(Ref());
        if (type == NODE_ELEMENT || type == NODE_DOCUMENT || type == NODE_DOCUMENT_FRAGMENT) {
            value->vt = VT_NULL;
            return S_FALSE;
        }
        value->vt = VT_BSTR;
        return ReturnString(TextOf(Ref()), &value->bstrVal);
    }
    STDMETHODIMP put_nodeValue(VARIANT value) override
    {
        DOM_CALL();
        if (value.vt != VT_BSTR)
            return E_INVALIDARG;
        DOMNodeType type = TypeOf(Ref());
        if (type == NODE_ELEMENT || type == NODE_DOCUMENT || type == NODE_DOCUMENT_FRAGMENT)
            return E_FAIL;
        return SetTextOf(Doc(), Ref(), value.bstrVal);
    }
    STDMETHODIMP get_nodeType(DOMNodeType *type) override
    {
        DOM_CALL();
        if (type == nullptr)
            return E_INVALIDARG;
        *type = TypeOf(Ref());
        return S_OK;
    }
    STDMETHODIMP get_parentNode(IXMLDOMNode **parent) override
    {
        DOM_CALL();
        NodeRef r = Ref();
        // Attributes have no parent in the DOM.
        xmlNodePtr p = r.decl == nullptr && r.node->type != XML_ATTRIBUTE_NODE ? r.node->parent : nullptr;
        return WrapNode(Doc(), p, parent);
    }
    STDMETHODIMP get_childNodes(IXMLDOMNodeList **list) override
    {
        DOM_CALL();
        return NewChildList(Doc(), Ref().decl != nullptr ? nullptr : Ref().node, list);
    }
    STDMETHODIMP get_firstChild(IXMLDOMNode **child) override
    {
        DOM_CALL();
        return WrapNode(Doc(), Ref().decl != nullptr ? nullptr : Ref().node->children, child);
    }
    STDMETHODIMP get_lastChild(IXMLDOMNode **child) override
    {
        DOM_CALL();
        return WrapNode(Doc(), Ref().decl != nullptr ? nullptr : Ref().node->last, child);
    }
    STDMETHODIMP get_previousSibling(IXMLDOMNode **sibling) override
    {
        DOM_CALL();
        NodeRef r = Ref();
        bool none = r.decl != nullptr || r.node->type == XML_ATTRIBUTE_NODE;
        return WrapNode(Doc(), none ? nullptr : r.node->prev, sibling);
    }
    STDMETHODIMP get_nextSibling(IXMLDOMNode **sibling) override
    {
        DOM_CALL();
        NodeRef r = Ref();
        bool none = r.decl != nullptr || r.node->type == XML_ATTRIBUTE_NODE;
        return WrapNode(Doc(), none ? nullptr : r.node->next, sibling);
    }
    STDMETHODIMP get_attributes(IXMLDOMNamedNodeMap **map) override
    {
        DOM_CALL();
        if (map == nullptr)
            return E_INVALIDARG;
        *map = nullptr;
        NodeRef r = Ref();
        if (r.decl != nullptr || r.node->type != XML_ELEMENT_NODE)
            return S_FALSE;
        return NewAttributeMap(Doc(), r.node, map);
    }
    STDMETHODIMP insertBefore(IXMLDOMNode *newChild, VARIANT refChild, IXMLDOMNode **out) override
    {
        DOM_CALL();
        if (out != nullptr)
            *out = nullptr;
        if (standin::ShouldFail("IXMLDOMNode::insertBefore"))
            return FaultResult();
        xmlNodePtr before = nullptr;
        if (refChild.vt == VT_UNKNOWN || refChild.vt == VT_DISPATCH) {
            Document *d = nullptr;
            NodeRef ref;
            if (refChild.punkVal != nullptr) {
                if (!UnwrapNode(refChild.punkVal, &d, &ref) || d != Doc() || ref.decl != nullptr)
                    return E_INVALIDARG;
                before = ref.node;
            }
        } else if (refChild.vt != VT_EMPTY && refChild.vt != VT_NULL) {
            return E_INVALIDARG;
        }
        if (Ref().decl != nullptr)
            return E_FAIL;
        return InsertChild(Doc(), Ref().node, newChild, before, out);
    }
    STDMETHODIMP replaceChild(IXMLDOMNode *newChild, IXMLDOMNode *oldChild, IXMLDOMNode **out) override
    {
        DOM_CALL();
        if (out != nullptr)
            *out = nullptr;
        Document *d = nullptr;
        NodeRef old;
        if (newChild == nullptr || oldChild == nullptr || !UnwrapNode(oldChild, &d, &old) || d != Doc() ||
            Ref().decl != nullptr || old.decl != nullptr || old.node->parent != Ref().node)
            return E_INVALIDARG;
        HRESULT hr = InsertChild(Doc(), Ref().node, newChild, old.node, nullptr);
        if (FAILED(hr))
            return hr;
        return RemoveChild(Doc(), Ref().node, oldChild, out);
    }
    STDMETHODIMP removeChild(IXMLDOMNode *child, IXMLDOMNode **out) override
    {
        DOM_CALL();
        if (out != nullptr)
            *out = nullptr;
        if (standin::ShouldFail("IXMLDOMNode::removeChild"))
            return FaultResult();
        if (Ref().decl != nullptr)
            return E_INVALIDARG;
        return RemoveChild(Doc(), Ref().node, child, out);
    }
    STDMETHODIMP appendChild(IXMLDOMNode *newChild, IXMLDOMNode **out) override
    {
        DOM_CALL();
        if (out != nullptr)
            *out = nullptr;
        if (standin::ShouldFail("IXMLDOMNode::appendChild"))
            return FaultResult();
        if (Ref().decl != nullptr)
            return E_FAIL;
        return InsertChild(Doc(), Ref().node, newChild, nullptr, out);
    }
    STDMETHODIMP hasChildNodes(VARIANT_BOOL *has) override
    {
        DOM_CALL();
        if (has == nullptr)
            return E_INVALIDARG;
        bool any = Ref().decl == nullptr && Ref().node->children != nullptr;
        *has = any ? VARIANT_TRUE : VARIANT_FALSE;
        return any ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_ownerDocument(IXMLDOMDocument **doc) override
    {
        DOM_CALL();
        if (doc == nullptr)
            return E_INVALIDARG;
        *doc = nullptr;
        if (Ref().decl == nullptr && Ref().node->type == XML_DOCUMENT_NODE)
            return S_FALSE;
        return Doc()->Interface()->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void **>(doc));
    }
    STDMETHODIMP cloneNode(VARIANT_BOOL deep, IXMLDOMNode **clone) override
    {
        DOM_CALL();
        if (clone == nullptr)
            return E_INVALIDARG;
        *clone = nullptr;
        if (standin::ShouldFail("IXMLDOMNode::cloneNode"))
            return FaultResult();
        return CloneNode(Doc(), Ref(), deep != VARIANT_FALSE, clone);
    }
    STDMETHODIMP get_nodeTypeString(BSTR *s) override
    {
        DOM_CALL();
        static const char16_t *const names[] = {u"",
                                                u"element",
                                                u"attribute",
                                                u"text",
                                                u"cdatasection",
                                                u"entityreference",
                                                u"entity",
                                                u"processinginstruction",
                                                u"comment",
                                                u"document",
                                                u"documenttype",
                                                u"documentfragment",
                                                u"notation"};
        return ReturnString(std::u16string(names[TypeOf(Ref())]), s);
    }
    STDMETHODIMP get_text(BSTR *text) override
    {
        DOM_CALL();
        return ReturnText(Ref(), text);
    }
    STDMETHODIMP put_text(BSTR text) override
    {
        DOM_CALL();
        if (standin::ShouldFail("IXMLDOMNode::put_text"))
            return FaultResult();
        return SetTextOf(Doc(), Ref(), text != nullptr ? text : u"");
    }
    STDMETHODIMP get_specified(VARIANT_BOOL *specified) override
    {
        DOM_CALL();
        if (specified == nullptr)
            return E_INVALIDARG;
        *specified = VARIANT_TRUE;
        return S_OK;
    }
    STDMETHODIMP get_definition(IXMLDOMNode **node) override
    {
        DOM_CALL();
        if (node != nullptr)
            *node = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_nodeTypedValue(VARIANT *) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP put_nodeTypedValue(VARIANT) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP get_dataType(VARIANT *) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP put_dataType(BSTR) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP get_xml(BSTR *xml) override
    {
        DOM_CALL();
        if (xml == nullptr)
            return E_INVALIDARG;
        *xml = nullptr;
        std::u16string text;
        HRESULT hr = XmlOf(Ref(), text);
        if (FAILED(hr))
            return hr;
        return ReturnString(text, xml);
    }
    STDMETHODIMP transformNode(IXMLDOMNode *, BSTR *) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
    STDMETHODIMP selectNodes(BSTR, IXMLDOMNodeList **list) override
    {
        DOM_CALL();
        if (list != nullptr)
            *list = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP selectSingleNode(BSTR, IXMLDOMNode **node) override
    {
        DOM_CALL();
        if (node != nullptr)
            *node = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_parsed(VARIANT_BOOL *parsed) override
    {
        DOM_CALL();
        if (parsed == nullptr)
            return E_INVALIDARG;
        *parsed = VARIANT_TRUE;
        return S_OK;
    }
    STDMETHODIMP get_namespaceURI(BSTR *uri) override
    {
        DOM_CALL();
        return ReturnNamespace(Ref(), uri);
    }
    STDMETHODIMP get_prefix(BSTR *prefix) override
    {
        DOM_CALL();
        return ReturnString(PrefixOf(Ref()), prefix);
    }
    STDMETHODIMP get_baseName(BSTR *name) override
    {
        DOM_CALL();
        return ReturnLocalName(Ref(), name);
    }
    STDMETHODIMP transformNodeToObject(IXMLDOMNode *, VARIANT) override
    {
        DOM_CALL();
        return E_NOTIMPL;
    }
};

}  // namespace standin::msxml
