// MSXML 6 DOM and namespace manager interfaces of the Linux stand-in, in the
// vtable order and with the signatures of the SDK's msxml2.h (as mingw-w64
// ships it), so plug-in code calls them exactly as on Windows. The classes
// behind them (DOMDocument60, FreeThreadedDOMDocument60, MXNamespaceManager60)
// are made by CoCreateInstance; they run over libxml2.
#pragma once

#include "platform/linux/ole/ole.h"

typedef enum tagDOMNodeType {
    NODE_INVALID = 0,
    NODE_ELEMENT,
    NODE_ATTRIBUTE,
    NODE_TEXT,
    NODE_CDATA_SECTION,
    NODE_ENTITY_REFERENCE,
    NODE_ENTITY,
    NODE_PROCESSING_INSTRUCTION,
    NODE_COMMENT,
    NODE_DOCUMENT,
    NODE_DOCUMENT_TYPE,
    NODE_DOCUMENT_FRAGMENT,
    NODE_NOTATION
} DOMNodeType;

// The namespace manager's answer for an output buffer that is too short.
#ifndef E_XML_BUFFERTOOSMALL
#define E_XML_BUFFERTOOSMALL _HRESULT_TYPEDEF_(0xC00CE226L)
#endif

extern "C" const IID IID_IXMLDOMNode;
extern "C" const IID IID_IXMLDOMDocument;
extern "C" const IID IID_IXMLDOMDocument2;
extern "C" const IID IID_IXMLDOMNodeList;
extern "C" const IID IID_IXMLDOMNamedNodeMap;
extern "C" const IID IID_IXMLDOMAttribute;
extern "C" const IID IID_IXMLDOMElement;
extern "C" const IID IID_IXMLDOMParseError;
extern "C" const IID IID_IMXNamespaceManager;

// Interfaces only named in signatures.
struct IXMLDOMDocumentType;
struct IXMLDOMImplementation;
struct IXMLDOMDocumentFragment;
struct IXMLDOMText;
struct IXMLDOMComment;
struct IXMLDOMCDATASection;
struct IXMLDOMProcessingInstruction;
struct IXMLDOMEntityReference;
struct IXMLDOMSchemaCollection;

struct IXMLDOMNode;
struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;
struct IXMLDOMDocument;
struct IXMLDOMElement;
struct IXMLDOMAttribute;
struct IXMLDOMParseError;

struct IXMLDOMNode : public IDispatch {
    STDMETHOD(get_nodeName)(BSTR *name) PURE;
    STDMETHOD(get_nodeValue)(VARIANT *value) PURE;
    STDMETHOD(put_nodeValue)(VARIANT value) PURE;
    STDMETHOD(get_nodeType)(DOMNodeType *type) PURE;
    STDMETHOD(get_parentNode)(IXMLDOMNode **parent) PURE;
    STDMETHOD(get_childNodes)(IXMLDOMNodeList **childList) PURE;
    STDMETHOD(get_firstChild)(IXMLDOMNode **firstChild) PURE;
    STDMETHOD(get_lastChild)(IXMLDOMNode **lastChild) PURE;
    STDMETHOD(get_previousSibling)(IXMLDOMNode **previousSibling) PURE;
    STDMETHOD(get_nextSibling)(IXMLDOMNode **nextSibling) PURE;
    STDMETHOD(get_attributes)(IXMLDOMNamedNodeMap **attributeMap) PURE;
    STDMETHOD(insertBefore)(IXMLDOMNode *newChild, VARIANT refChild, IXMLDOMNode **outNewChild) PURE;
    STDMETHOD(replaceChild)(IXMLDOMNode *newChild, IXMLDOMNode *oldChild, IXMLDOMNode **outOldChild) PURE;
    STDMETHOD(removeChild)(IXMLDOMNode *childNode, IXMLDOMNode **oldChild) PURE;
    STDMETHOD(appendChild)(IXMLDOMNode *newChild, IXMLDOMNode **outNewChild) PURE;
    STDMETHOD(hasChildNodes)(VARIANT_BOOL *hasChild) PURE;
    STDMETHOD(get_ownerDocument)(IXMLDOMDocument **DOMDocument) PURE;
    STDMETHOD(cloneNode)(VARIANT_BOOL deep, IXMLDOMNode **cloneRoot) PURE;
    STDMETHOD(get_nodeTypeString)(BSTR *nodeType) PURE;
    STDMETHOD(get_text)(BSTR *text) PURE;
    STDMETHOD(put_text)(BSTR text) PURE;
    STDMETHOD(get_specified)(VARIANT_BOOL *isSpecified) PURE;
    STDMETHOD(get_definition)(IXMLDOMNode **definitionNode) PURE;
    STDMETHOD(get_nodeTypedValue)(VARIANT *typedValue) PURE;
    STDMETHOD(put_nodeTypedValue)(VARIANT typedValue) PURE;
    STDMETHOD(get_dataType)(VARIANT *dataTypeName) PURE;
    STDMETHOD(put_dataType)(BSTR dataTypeName) PURE;
    STDMETHOD(get_xml)(BSTR *xmlString) PURE;
    STDMETHOD(transformNode)(IXMLDOMNode *stylesheet, BSTR *xmlString) PURE;
    STDMETHOD(selectNodes)(BSTR queryString, IXMLDOMNodeList **resultList) PURE;
    STDMETHOD(selectSingleNode)(BSTR queryString, IXMLDOMNode **resultNode) PURE;
    STDMETHOD(get_parsed)(VARIANT_BOOL *isParsed) PURE;
    STDMETHOD(get_namespaceURI)(BSTR *namespaceURI) PURE;
    STDMETHOD(get_prefix)(BSTR *prefixString) PURE;
    STDMETHOD(get_baseName)(BSTR *nameString) PURE;
    STDMETHOD(transformNodeToObject)(IXMLDOMNode *stylesheet, VARIANT outputObject) PURE;
};

struct IXMLDOMDocument : public IXMLDOMNode {
    STDMETHOD(get_doctype)(IXMLDOMDocumentType **documentType) PURE;
    STDMETHOD(get_implementation)(IXMLDOMImplementation **impl) PURE;
    STDMETHOD(get_documentElement)(IXMLDOMElement **DOMElement) PURE;
    STDMETHOD(putref_documentElement)(IXMLDOMElement *DOMElement) PURE;
    STDMETHOD(createElement)(BSTR tagName, IXMLDOMElement **element) PURE;
    STDMETHOD(createDocumentFragment)(IXMLDOMDocumentFragment **docFrag) PURE;
    STDMETHOD(createTextNode)(BSTR data, IXMLDOMText **text) PURE;
    STDMETHOD(createComment)(BSTR data, IXMLDOMComment **comment) PURE;
    STDMETHOD(createCDATASection)(BSTR data, IXMLDOMCDATASection **cdata) PURE;
    STDMETHOD(createProcessingInstruction)(BSTR target, BSTR data, IXMLDOMProcessingInstruction **pi) PURE;
    STDMETHOD(createAttribute)(BSTR name, IXMLDOMAttribute **attribute) PURE;
    STDMETHOD(createEntityReference)(BSTR name, IXMLDOMEntityReference **entityRef) PURE;
    STDMETHOD(getElementsByTagName)(BSTR tagName, IXMLDOMNodeList **resultList) PURE;
    STDMETHOD(createNode)(VARIANT Type, BSTR name, BSTR namespaceURI, IXMLDOMNode **node) PURE;
    STDMETHOD(nodeFromID)(BSTR idString, IXMLDOMNode **node) PURE;
    STDMETHOD(load)(VARIANT xmlSource, VARIANT_BOOL *isSuccessful) PURE;
    STDMETHOD(get_readyState)(LONG *value) PURE;
    STDMETHOD(get_parseError)(IXMLDOMParseError **errorObj) PURE;
    STDMETHOD(get_url)(BSTR *urlString) PURE;
    STDMETHOD(get_async)(VARIANT_BOOL *isAsync) PURE;
    STDMETHOD(put_async)(VARIANT_BOOL isAsync) PURE;
    STDMETHOD(abort)() PURE;
    STDMETHOD(loadXML)(BSTR bstrXML, VARIANT_BOOL *isSuccessful) PURE;
    STDMETHOD(save)(VARIANT destination) PURE;
    STDMETHOD(get_validateOnParse)(VARIANT_BOOL *isValidating) PURE;
    STDMETHOD(put_validateOnParse)(VARIANT_BOOL isValidating) PURE;
    STDMETHOD(get_resolveExternals)(VARIANT_BOOL *isResolving) PURE;
    STDMETHOD(put_resolveExternals)(VARIANT_BOOL isResolving) PURE;
    STDMETHOD(get_preserveWhiteSpace)(VARIANT_BOOL *isPreserving) PURE;
    STDMETHOD(put_preserveWhiteSpace)(VARIANT_BOOL isPreserving) PURE;
    STDMETHOD(put_onreadystatechange)(VARIANT readystatechangeSink) PURE;
    STDMETHOD(put_ondataavailable)(VARIANT ondataavailableSink) PURE;
    STDMETHOD(put_ontransformnode)(VARIANT ontransformnodeSink) PURE;
};

struct IXMLDOMDocument2 : public IXMLDOMDocument {
    STDMETHOD(get_namespaces)(IXMLDOMSchemaCollection **namespaceCollection) PURE;
    STDMETHOD(get_schemas)(VARIANT *otherCollection) PURE;
    STDMETHOD(putref_schemas)(VARIANT otherCollection) PURE;
    STDMETHOD(validate)(IXMLDOMParseError **errorObj) PURE;
    STDMETHOD(setProperty)(BSTR name, VARIANT value) PURE;
    STDMETHOD(getProperty)(BSTR name, VARIANT *value) PURE;
};

struct IXMLDOMNodeList : public IDispatch {
    STDMETHOD(get_item)(LONG index, IXMLDOMNode **listItem) PURE;
    STDMETHOD(get_length)(LONG *listLength) PURE;
    STDMETHOD(nextNode)(IXMLDOMNode **nextItem) PURE;
    STDMETHOD(reset)() PURE;
    STDMETHOD(get__newEnum)(IUnknown **ppUnk) PURE;
};

struct IXMLDOMNamedNodeMap : public IDispatch {
    STDMETHOD(getNamedItem)(BSTR name, IXMLDOMNode **namedItem) PURE;
    STDMETHOD(setNamedItem)(IXMLDOMNode *newItem, IXMLDOMNode **nameItem) PURE;
    STDMETHOD(removeNamedItem)(BSTR name, IXMLDOMNode **namedItem) PURE;
    STDMETHOD(get_item)(LONG index, IXMLDOMNode **listItem) PURE;
    STDMETHOD(get_length)(LONG *listLength) PURE;
    STDMETHOD(getQualifiedItem)(BSTR baseName, BSTR namespaceURI, IXMLDOMNode **qualifiedItem) PURE;
    STDMETHOD(removeQualifiedItem)(BSTR baseName, BSTR namespaceURI, IXMLDOMNode **qualifiedItem) PURE;
    STDMETHOD(nextNode)(IXMLDOMNode **nextItem) PURE;
    STDMETHOD(reset)() PURE;
    STDMETHOD(get__newEnum)(IUnknown **ppUnk) PURE;
};

struct IXMLDOMElement : public IXMLDOMNode {
    STDMETHOD(get_tagName)(BSTR *tagName) PURE;
    STDMETHOD(getAttribute)(BSTR name, VARIANT *value) PURE;
    STDMETHOD(setAttribute)(BSTR name, VARIANT value) PURE;
    STDMETHOD(removeAttribute)(BSTR name) PURE;
    STDMETHOD(getAttributeNode)(BSTR name, IXMLDOMAttribute **attributeNode) PURE;
    STDMETHOD(setAttributeNode)(IXMLDOMAttribute *DOMAttribute, IXMLDOMAttribute **attributeNode) PURE;
    STDMETHOD(removeAttributeNode)(IXMLDOMAttribute *DOMAttribute, IXMLDOMAttribute **attributeNode) PURE;
    STDMETHOD(getElementsByTagName)(BSTR tagName, IXMLDOMNodeList **resultList) PURE;
    STDMETHOD(normalize)() PURE;
};

struct IXMLDOMAttribute : public IXMLDOMNode {
    STDMETHOD(get_name)(BSTR *attributeName) PURE;
    STDMETHOD(get_value)(VARIANT *attributeValue) PURE;
    STDMETHOD(put_value)(VARIANT attributeValue) PURE;
};

struct IXMLDOMParseError : public IDispatch {
    STDMETHOD(get_errorCode)(LONG *errorCode) PURE;
    STDMETHOD(get_url)(BSTR *urlString) PURE;
    STDMETHOD(get_reason)(BSTR *reasonString) PURE;
    STDMETHOD(get_srcText)(BSTR *sourceString) PURE;
    STDMETHOD(get_line)(LONG *lineNumber) PURE;
    STDMETHOD(get_linepos)(LONG *linePosition) PURE;
    STDMETHOD(get_filepos)(LONG *filePosition) PURE;
};

struct IMXNamespaceManager : public IUnknown {
    STDMETHOD(putAllowOverride)(VARIANT_BOOL fOverride) PURE;
    STDMETHOD(getAllowOverride)(VARIANT_BOOL *fOverride) PURE;
    STDMETHOD(reset)() PURE;
    STDMETHOD(pushContext)() PURE;
    STDMETHOD(pushNodeContext)(IXMLDOMNode *contextNode, VARIANT_BOOL fDeep) PURE;
    STDMETHOD(popContext)() PURE;
    STDMETHOD(declarePrefix)(const WCHAR *prefix, const WCHAR *namespaceURI) PURE;
    STDMETHOD(getDeclaredPrefix)(LONG nIndex, WCHAR *pwchPrefix, int *pcchPrefix) PURE;
    STDMETHOD(getPrefix)(const WCHAR *pwszNamespaceURI, LONG nIndex, WCHAR *pwchPrefix, int *pcchPrefix) PURE;
    STDMETHOD(getURI)(const WCHAR *pwchPrefix, IXMLDOMNode *pContextNode, WCHAR *pwchUri, int *pcchUri) PURE;
};

namespace standin {

// Puts the three MSXML classes (back) into CoCreateInstance's table. Done
// when the stand-in is loaded; tests that empty the table call it again.
STANDIN_API void RegisterMsxmlClasses();

// How much walking the stand-in has done since the process started: links
// followed by child lists to reach an item or count them, namespace
// bindings visited by the namespace manager, and calls made into the DOM
// and namespace manager objects (any interface method, IUnknown's
// included; a call the stand-in makes on itself inside one is not
// counted). Tests and benchmarks bound the work of a call with the
// difference of two readings.
struct MsxmlWork {
    unsigned long long childSteps;
    unsigned long long scopeSteps;
    unsigned long long calls;
};
STANDIN_API MsxmlWork GetMsxmlWork();

}  // namespace standin
