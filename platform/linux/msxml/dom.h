// Shared parts of the MSXML stand-in: the document's storage and the node
// wrappers. Not part of the Win32 surface.
#pragma once

#include "platform/linux/msxml/msxml.h"

#include <libxml/tree.h>

#include <string>
#include <vector>

namespace standin::msxml {

// Asked through QueryInterface to find the stand-in's own object behind an
// IXMLDOMNode, so nodes from elsewhere are refused instead of misread.
extern const IID IID_StandinNode;

class Document;

// The work counts behind standin::GetMsxmlWork, added once per call.
void CountChildSteps(unsigned long long steps);
void CountScopeSteps(unsigned long long steps);
void CountCall();

// One call into the DOM or the namespace manager from outside the stand-in,
// counted at the top of every interface method: only the outermost of
// nested ones counts, so a method that calls another (or a Release that
// frees a tree) is one call, as it is one call on the real MSXML.
class CallScope {
public:
    CallScope()
    {
        if (depth_++ == 0)
            CountCall();
    }
    ~CallScope() { --depth_; }
    CallScope(const CallScope &) = delete;
    CallScope &operator=(const CallScope &) = delete;

private:
    // Initial-exec: the stand-in is loaded with the program, and the count
    // is read on every call.
    static thread_local unsigned depth_ __attribute__((tls_model("initial-exec")));
};
#define DOM_CALL() ::standin::msxml::CallScope domCall_

// Reference counting of the stand-in's COM objects: the count starts at one
// and the object deletes itself when the last reference goes.
template <class... Interfaces>
class RefCounted : public Interfaces... {
public:
    virtual ~RefCounted() = default;
    STDMETHODIMP_(ULONG) AddRef() override
    {
        DOM_CALL();
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        DOM_CALL();
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

protected:
    LONG References() const { return refs_; }

private:
    LONG volatile refs_ = 1;
};

// What a node wrapper stands for: a libxml2 node, or a namespace
// declaration (xmlns / xmlns:p) of an element, which MSXML shows as an
// attribute but libxml2 keeps apart.
struct NodeRef {
    xmlNodePtr node = nullptr;
    xmlNsPtr decl = nullptr;  // set for a declaration; node is its element
};

std::u16string ToUtf16(const xmlChar *s);
std::string ToUtf8(const WCHAR *s);
HRESULT ReturnString(const std::u16string &s, BSTR *out);
HRESULT ReturnString(const xmlChar *s, BSTR *out);
HRESULT FaultResult();

// The wrapper for ref, holding a reference to doc; null when out of memory.
HRESULT WrapNode(Document *doc, NodeRef ref, REFIID riid, void **out);
HRESULT WrapNode(Document *doc, xmlNodePtr node, IXMLDOMNode **out);
// The node behind a wrapper of this stand-in, or false.
bool UnwrapNode(IUnknown *unknown, Document **doc, NodeRef *ref);

// What QueryInterface with IID_StandinNode gives (no reference is taken).
class NodeIdentity {
public:
    virtual Document *Doc() = 0;
    virtual NodeRef Ref() = 0;

protected:
    ~NodeIdentity() = default;
};

// The document object: owns every libxml2 tree it ever held, and every node
// unlinked from them, until the last reference (wrappers included) goes.
class Document {
public:
    virtual ~Document() = default;
    virtual ULONG DocAddRef() = 0;
    virtual ULONG DocRelease() = 0;
    virtual xmlDocPtr Tree() = 0;
    virtual IXMLDOMDocument *Interface() = 0;
    // Keeps an unlinked node (and its subtree) until the document goes.
    virtual void Orphan(xmlNodePtr node) = 0;
    virtual void Adopt(xmlNodePtr node) = 0;
    // Keeps a namespace record no element declares any more.
    virtual void KeepNs(xmlNsPtr ns) = 0;
    // A number that grows whenever a child list, attribute or namespace
    // declaration of the document may have changed; child lists keep their
    // place and the namespace manager its last answer only while it stays.
    virtual unsigned long Changes() = 0;
    virtual void Changed() = 0;
};

// Namespace scope lookups shared by the DOM and the namespace manager. The
// binding of prefix ("" is the default namespace) in node's scope; null when
// unbound. An element's own namespace counts as declared on it.
const xmlChar *LookupNamespace(xmlNodePtr node, const xmlChar *prefix);
// Every (prefix, uri) in scope of node, innermost first; only node's own
// when deep is false.
void CollectScope(xmlNodePtr node, bool deep, std::vector<std::pair<std::string, std::string>> &out);
// After node was linked under a new parent: makes every namespace its
// subtree uses resolve there, declaring on the node what is missing.
void ReconcileNamespaces(xmlNodePtr node);

extern const xmlChar kXmlnsUri[];
extern const xmlChar kXmlUri[];

}  // namespace standin::msxml
