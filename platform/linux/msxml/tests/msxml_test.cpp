#include "platform/win32.h"
#include "platform/linux/testing/leakcheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const WCHAR kPsf[] = u"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
const WCHAR kPsk[] = u"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
const WCHAR kTicket[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    u"<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    u"xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" version=\"1\">"
    u"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"
    u"<Plain xmlns=\"urn:default\">text<b>more</b></Plain>"
    u"</psf:PrintTicket>";

// Owns one COM reference.
template <class T>
struct Ptr {
    T *p = nullptr;
    Ptr() = default;
    Ptr(const Ptr &) = delete;
    ~Ptr() { reset(); }
    void reset()
    {
        if (p != nullptr)
            p->Release();
        p = nullptr;
    }
    T **operator&() { return reset(), &p; }
    T *operator->() const { return p; }
    operator T *() const { return p; }
};

struct Bstr {
    BSTR s;
    explicit Bstr(const WCHAR *text) : s(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(s); }
    operator BSTR() const { return s; }
};

// The text of a BSTR output, freed.
std::u16string Take(BSTR s)
{
    std::u16string out = s != nullptr ? std::u16string(s, SysStringLen(s)) : u"";
    SysFreeString(s);
    return out;
}

// A string property read through its getter, which is to succeed.
template <class T, class Getter>
std::u16string Get(T *object, Getter getter)
{
    BSTR s = nullptr;
    EXPECT_EQ(S_OK, (object->*getter)(&s));
    return Take(s);
}

VARIANT StringVariant(BSTR s)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = s;
    return v;
}

VARIANT IntVariant(LONG n)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

size_t Count(const std::u16string &text, const std::u16string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

bool Exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class MsxmlTest : public standin_testing::LeakCheckTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        standin::RegisterMsxmlClasses();
        LeakCheckTest::SetUp();
        NewDocument(doc);
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER,
                                         msxml6::IID_NamespaceManager, reinterpret_cast<void **>(&ns.p)));
    }
    void TearDown() override
    {
        doc.reset();
        ns.reset();
        LeakCheckTest::TearDown();
        CoUninitialize();
    }

    static void NewDocument(Ptr<IXMLDOMDocument2> &d)
    {
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, msxml6::IID_Document2,
                                         reinterpret_cast<void **>(&d.p)));
    }
    // Loads the ticket and hands its root out.
    void Load(Ptr<IXMLDOMElement> &root, const WCHAR *xml = kTicket)
    {
        VARIANT_BOOL ok = VARIANT_FALSE;
        ASSERT_EQ(S_OK, doc->loadXML(Bstr(xml), &ok));
        ASSERT_EQ(VARIANT_TRUE, ok);
        ASSERT_EQ(S_OK, doc->get_documentElement(&root));
    }
    // Refused input leaves an empty document.
    void ExpectRefused(const std::u16string &xml)
    {
        BSTR text = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
        VARIANT_BOOL ok = VARIANT_TRUE;
        EXPECT_EQ(S_FALSE, doc->loadXML(text, &ok));
        EXPECT_EQ(VARIANT_FALSE, ok);
        SysFreeString(text);
        Ptr<IXMLDOMElement> root;
        EXPECT_EQ(S_FALSE, doc->get_documentElement(&root));
        EXPECT_EQ(nullptr, root.p);
    }
    void Child(IXMLDOMNode *parent, LONG index, Ptr<IXMLDOMNode> &child)
    {
        Ptr<IXMLDOMNodeList> list;
        ASSERT_EQ(S_OK, parent->get_childNodes(&list));
        ASSERT_EQ(S_OK, list->get_item(index, &child));
    }
    void Make(DOMNodeType type, const WCHAR *name, const WCHAR *uri, Ptr<IXMLDOMNode> &node)
    {
        ASSERT_EQ(S_OK, doc->createNode(IntVariant(type), Bstr(name), Bstr(uri), &node));
    }
    template <class T>
    static void As(IXMLDOMNode *node, const IID &iid, Ptr<T> &out)
    {
        ASSERT_EQ(S_OK, node->QueryInterface(iid, reinterpret_cast<void **>(&out)));
    }
    HRESULT Save(const WCHAR *path) { return doc->save(StringVariant(Bstr(path))); }
    std::u16string Xml(IXMLDOMNode *node) { return Get(node, &IXMLDOMNode::get_xml); }
    std::u16string Uri(const WCHAR *prefix, IXMLDOMNode *context, HRESULT expect = S_OK)
    {
        int units = -1;
        EXPECT_EQ(expect, ns->getURI(prefix, context, nullptr, &units));
        if (expect != S_OK)
            return u"<unbound>";
        std::vector<WCHAR> buffer(units + 1);
        int size = units + 1;
        EXPECT_EQ(S_OK, ns->getURI(prefix, context, buffer.data(), &size));
        EXPECT_EQ(units, size);
        return std::u16string(buffer.data());
    }
    std::u16string Prefix(const WCHAR *uri, LONG index)
    {
        WCHAR buffer[16];
        int size = 16;
        return ns->getPrefix(uri, index, buffer, &size) == S_OK ? std::u16string(buffer) : u"<none>";
    }

    Ptr<IXMLDOMDocument2> doc;
    Ptr<IMXNamespaceManager> ns;
};

TEST_F(MsxmlTest, NamesAreNamespaceAware)
{
    Ptr<IXMLDOMElement> root;
    Load(root);
    EXPECT_EQ(u"PrintTicket", Get(root.p, &IXMLDOMNode::get_baseName));
    EXPECT_EQ(kPsf, Get(root.p, &IXMLDOMNode::get_namespaceURI));
    EXPECT_EQ(u"psf:PrintTicket", Get(root.p, &IXMLDOMNode::get_nodeName));

    Ptr<IXMLDOMNode> plain, text;
    Child(root, 1, plain);
    EXPECT_EQ(u"urn:default", Get(plain.p, &IXMLDOMNode::get_namespaceURI));
    EXPECT_EQ(u"", Get(plain.p, &IXMLDOMNode::get_prefix));
    EXPECT_EQ(u"textmore", Get(plain.p, &IXMLDOMNode::get_text));

    // A text node is no element; its namespace is the empty string.
    Child(plain, 0, text);
    DOMNodeType type = NODE_INVALID;
    EXPECT_EQ(S_OK, text->get_nodeType(&type));
    EXPECT_EQ(NODE_TEXT, type);
    Ptr<IXMLDOMElement> notElement;
    EXPECT_EQ(E_NOINTERFACE, text->QueryInterface(msxml6::IID_Element, reinterpret_cast<void **>(&notElement)));
    EXPECT_EQ(u"", Get(text.p, &IXMLDOMNode::get_namespaceURI));
}

// A created node carries its namespace, declared where it is used unless in
// scope already; an xmlns attribute becomes a declaration for the subtree.
TEST_F(MsxmlTest, CreatedNodesCarryTheirNamespace)
{
    Ptr<IXMLDOMElement> root, asElement;
    Load(root);
    Ptr<IXMLDOMNode> element, attribute, added, feature;
    Make(NODE_ELEMENT, u"psf:ParameterInit", kPsf, element);
    Make(NODE_ATTRIBUTE, u"q:type", u"urn:q", attribute);
    EXPECT_EQ(u"ParameterInit", Get(element.p, &IXMLDOMNode::get_baseName));
    EXPECT_EQ(u"urn:q", Get(attribute.p, &IXMLDOMNode::get_namespaceURI));

    ASSERT_EQ(S_OK, root->appendChild(element, &added));
    EXPECT_EQ(element.p, added.p);
    Ptr<IXMLDOMAttribute> asAttribute;
    As(element, msxml6::IID_Element, asElement);
    As(attribute, msxml6::IID_Attribute, asAttribute);
    EXPECT_EQ(S_OK, asAttribute->put_value(StringVariant(Bstr(u"v"))));
    EXPECT_EQ(S_OK, asElement->setAttributeNode(asAttribute, nullptr));
    std::u16string xml = Xml(element);
    EXPECT_EQ(0u, Count(xml, u"xmlns:psf"));
    EXPECT_EQ(1u, Count(xml, u"xmlns:q=\"urn:q\""));
    EXPECT_EQ(u"urn:q", Uri(u"q", element));

    // A prefix without a namespace, or a bad type, is refused.
    Ptr<IXMLDOMNode> bad;
    EXPECT_TRUE(FAILED(doc->createNode(IntVariant(NODE_ELEMENT), Bstr(u"p:x"), Bstr(u""), &bad)));
    EXPECT_TRUE(FAILED(doc->createNode(IntVariant(99), Bstr(u"x"), Bstr(u""), &bad)));
    EXPECT_EQ(nullptr, bad.p);

    Make(NODE_ATTRIBUTE, u"xmlns:ns0000", u"", attribute);
    As(attribute, msxml6::IID_Attribute, asAttribute);
    ASSERT_EQ(S_OK, asAttribute->put_value(StringVariant(Bstr(u"urn:private"))));
    EXPECT_EQ(u"<unbound>", Uri(u"ns0000", root, S_FALSE));
    ASSERT_EQ(S_OK, root->setAttributeNode(asAttribute, nullptr));
    Child(root, 0, feature);
    EXPECT_EQ(u"urn:private", Uri(u"ns0000", root));
    EXPECT_EQ(u"urn:private", Uri(u"ns0000", feature));
    EXPECT_EQ(1u, Count(Xml(root), u"xmlns:ns0000=\"urn:private\""));
    // A new element in that namespace uses the declaration, adding none.
    Make(NODE_ELEMENT, u"ns0000:Mine", u"urn:private", element);
    ASSERT_EQ(S_OK, feature->appendChild(element, nullptr));
    EXPECT_EQ(1u, Count(Xml(root), u"xmlns:ns0000"));
}

TEST_F(MsxmlTest, SetAttributeNodeReplacesAndAttributesRoundTrip)
{
    Ptr<IXMLDOMElement> root, element;
    Load(root);
    Ptr<IXMLDOMNode> feature, node;
    Child(root, 0, feature);
    As(feature, msxml6::IID_Element, element);
    Make(NODE_ATTRIBUTE, u"name", u"", node);
    Ptr<IXMLDOMAttribute> attribute, old;
    As(node, msxml6::IID_Attribute, attribute);
    ASSERT_EQ(S_OK, attribute->put_value(StringVariant(Bstr(u"psk:JobCopies"))));
    ASSERT_EQ(S_OK, element->setAttributeNode(attribute, &old));
    ASSERT_NE(nullptr, old.p);
    EXPECT_EQ(u"psk:PageMediaSize", Get(old.p, &IXMLDOMNode::get_text));

    std::u16string xml = Xml(feature);
    EXPECT_EQ(1u, Count(xml, u"JobCopies"));
    EXPECT_EQ(0u, Count(xml, u"PageMediaSize"));

    // An attached attribute cannot be attached again.
    EXPECT_TRUE(FAILED(element->setAttributeNode(attribute, nullptr)));
    EXPECT_EQ(S_OK, element->setAttribute(Bstr(u"extra"), StringVariant(Bstr(u"a&b"))));
    EXPECT_EQ(1u, Count(Xml(feature), u"extra=\"a&amp;b\""));
}

// Removed nodes and replaced text nodes stay usable, also once the document
// is gone.
TEST_F(MsxmlTest, DetachedNodesStayUsable)
{
    Ptr<IXMLDOMElement> root;
    Load(root);
    Ptr<IXMLDOMNode> feature, removed, option, plain, oldText;
    Child(root, 0, feature);
    Child(feature, 0, option);
    Child(root, 1, plain);
    Child(plain, 0, oldText);
    ASSERT_EQ(S_OK, root->removeChild(feature, &removed));
    EXPECT_EQ(feature.p, removed.p);
    // Removing it again, from a parent it has not, is refused.
    EXPECT_EQ(E_INVALIDARG, root->removeChild(feature, nullptr));
    Ptr<IXMLDOMNode> parent;
    EXPECT_EQ(S_FALSE, feature->get_parentNode(&parent));
    EXPECT_EQ(0u, Count(Xml(root), u"Feature"));

    // Text is replaced by one text node, escaped when written.
    ASSERT_EQ(S_OK, plain->put_text(Bstr(u"<&>")));
    EXPECT_EQ(u"<&>", Get(plain.p, &IXMLDOMNode::get_text));
    EXPECT_EQ(u"<Plain xmlns=\"urn:default\">&lt;&amp;&gt;</Plain>", Xml(plain));
    EXPECT_EQ(u"text", Get(oldText.p, &IXMLDOMNode::get_text));

    doc.reset();
    root.reset();
    EXPECT_EQ(u"psf:Option", Get(option.p, &IXMLDOMNode::get_nodeName));
    // A node cannot be appended under itself.
    EXPECT_EQ(E_FAIL, option->appendChild(feature, nullptr));
}

TEST_F(MsxmlTest, SaveToMappedPathAndReload)
{
    const std::string folder = standin_testing::OwnDriveRoot();
    Ptr<IXMLDOMElement> root;
    Load(root);
    const WCHAR *path = u"C:\\Users\\Public\\PtToDev_in.xml";
    EXPECT_EQ(S_OK, Save(path));
    std::string mapped = standin::MapWindowsPath(path);
    EXPECT_EQ(folder + "/c/Users/Public/PtToDev_in.xml", mapped);
    std::ifstream in(mapped);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(0u, bytes.str().find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    // A link planted at the name is not written through; renaming over it
    // replaces the link, not its target.
    std::string victim = folder + "/victim", link = folder + "/c/Users/Public/link.xml", text;
    std::ofstream(victim) << "keep";
    ASSERT_EQ(0, symlink(victim.c_str(), link.c_str()));
    EXPECT_TRUE(FAILED(Save(u"C:\\Users\\Public\\link.xml")));
    WCHAR temp[MAX_PATH];
    ASSERT_NE(0u, GetTempFileNameW(u"C:\\Users\\Public", u"ptd", 0, temp));
    EXPECT_EQ(S_OK, Save(temp));
    EXPECT_TRUE(MoveFileExW(temp, u"C:\\Users\\Public\\link.xml", MOVEFILE_REPLACE_EXISTING));
    struct stat st;
    ASSERT_EQ(0, lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    std::ifstream(victim) >> text;
    EXPECT_EQ("keep", text);

    EXPECT_FAILS_WITH(DeleteFileW(u"C:\\Users\\Public\\absent.xml"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(DeleteFileW(u"C:\\Users\\Public\\link.xml"));
}

// Mapping makes a drive folder once; a folder removed since is made again
// by the save or temporary file that needs it, a POSIX folder never.
TEST_F(MsxmlTest, DriveFoldersRemovedSinceAreMadeAgain)
{
    const std::string folder = standin_testing::OwnDriveRoot(), users = folder + "/c/Users";
    Ptr<IXMLDOMElement> root;
    Load(root);
    const WCHAR *path = u"C:\\Users\\Public\\again.xml";
    ASSERT_EQ(S_OK, Save(path));
    ASSERT_EQ(0, std::system(("rm -rf " + users).c_str()));
    EXPECT_EQ(S_OK, Save(path));
    EXPECT_TRUE(Exists(users + "/Public/again.xml"));
    ASSERT_EQ(0, std::system(("rm -rf " + users).c_str()));
    WCHAR temp[MAX_PATH];
    ASSERT_NE(0u, GetTempFileNameW(u"C:\\Users\\Public", u"opt", 0, temp));
    EXPECT_TRUE(MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING));
    EXPECT_FAILS_WITH(MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING), ERROR_FILE_NOT_FOUND);

    std::string missing = folder + "/posix/missing.xml";
    EXPECT_EQ(E_ACCESSDENIED, Save(std::u16string(missing.begin(), missing.end()).c_str()));
    EXPECT_FALSE(Exists(folder + "/posix"));
}

TEST_F(MsxmlTest, NamespaceManagerScopesAndLengths)
{
    Ptr<IXMLDOMElement> root;
    Load(root);
    Ptr<IXMLDOMNode> plain, bold;
    Child(root, 1, plain);
    Child(plain, 1, bold);

    // Deep: the ancestors' declarations are in scope too.
    ASSERT_EQ(S_OK, ns->pushNodeContext(bold, VARIANT_TRUE));
    EXPECT_EQ(kPsk, Uri(u"psk", nullptr));
    EXPECT_EQ(u"urn:default", Uri(u"", nullptr));
    EXPECT_EQ(u"http://www.w3.org/XML/1998/namespace", Uri(u"xml", nullptr));
    Uri(u"nope", nullptr, S_FALSE);
    int units = -1;
    EXPECT_EQ(S_OK, ns->getPrefix(kPsk, 0, nullptr, &units));
    EXPECT_EQ(3, units);
    WCHAR small[3];
    int size = 3;  // no room for the terminator
    EXPECT_EQ(E_XML_BUFFERTOOSMALL, ns->getPrefix(kPsk, 0, small, &size));
    WCHAR prefix[4];
    size = 4;
    EXPECT_EQ(S_OK, ns->getPrefix(kPsk, 0, prefix, &size));
    EXPECT_EQ(u"psk", std::u16string(prefix));
    EXPECT_EQ(E_FAIL, ns->getPrefix(u"urn:unknown", 0, nullptr, &units));
    // The default namespace has the empty prefix.
    EXPECT_EQ(S_OK, ns->getPrefix(u"urn:default", 0, nullptr, &units));
    EXPECT_EQ(0, units);
    EXPECT_EQ(S_OK, ns->popContext());

    // declarePrefix works in the current context and is popped with it;
    // a context node is looked at instead of the stack.
    ASSERT_EQ(S_OK, ns->pushContext());
    EXPECT_EQ(S_OK, ns->declarePrefix(u"ns0000", u"urn:private"));
    EXPECT_EQ(S_FALSE, ns->declarePrefix(u"ns0000", u"urn:other"));
    EXPECT_EQ(u"urn:other", Uri(u"ns0000", nullptr));
    Uri(u"ns0000", root, S_FALSE);
    EXPECT_EQ(S_OK, ns->popContext());
    Uri(u"ns0000", nullptr, S_FALSE);
}

// A list held across a change of the tree answers for the tree as it is
// now. (That reading it costs a step per item is counted with a ticket at
// the size limit in tests/ptprovider.)
TEST_F(MsxmlTest, ChildListsFollowChanges)
{
    std::u16string xml = u"<r>";
    for (int i = 0; i < 20; ++i)
        xml += u"<c n=\"" + std::u16string(1, static_cast<char16_t>(u'A' + i)) + u"\"/>";
    xml += u"</r>";
    Ptr<IXMLDOMElement> root;
    Load(root, xml.c_str());
    Ptr<IXMLDOMNodeList> list;
    ASSERT_EQ(S_OK, root->get_childNodes(&list));
    LONG length = 0;
    Ptr<IXMLDOMNode> tenth, eleventh, removed, now, added;
    EXPECT_EQ(S_FALSE, list->get_item(20, &now));
    EXPECT_EQ(S_FALSE, list->get_item(-1, &now));
    // Removing the item at 10 moves the next one there; an appended node
    // is the new last item, wherever the list was.
    ASSERT_EQ(S_OK, list->get_item(10, &tenth));
    ASSERT_EQ(S_OK, list->get_item(11, &eleventh));
    ASSERT_EQ(S_OK, root->removeChild(tenth, &removed));
    ASSERT_EQ(S_OK, list->get_length(&length));
    EXPECT_EQ(19, length);
    ASSERT_EQ(S_OK, list->get_item(10, &now));
    EXPECT_EQ(Xml(eleventh), Xml(now));
    Make(NODE_ELEMENT, u"added", u"", added);
    ASSERT_EQ(S_OK, root->appendChild(added, nullptr));
    ASSERT_EQ(S_OK, list->get_item(19, &now));
    EXPECT_EQ(u"<added/>", Xml(now));
    // Back to the front, then a text that replaces the children.
    ASSERT_EQ(S_OK, list->get_item(0, &now));
    EXPECT_EQ(u"<c n=\"A\"/>", Xml(now));
    ASSERT_EQ(S_OK, root->put_text(Bstr(u"only text")));
    ASSERT_EQ(S_OK, list->get_length(&length));
    EXPECT_EQ(1, length);
    EXPECT_EQ(S_FALSE, list->get_item(1, &now));
}

// Lookups answer from the tree and the stack as they are when asked: the
// nearest binding of a prefix wins, a prefix rebound nearer hides its
// outer namespace. (Their cost is counted in tests/ptprovider.)
TEST_F(MsxmlTest, NamespaceLookupsFollowTheTreeAsItIsNow)
{
    std::u16string xml = u"<r";
    for (char16_t i = u'0'; i <= u'9'; ++i)
        xml += u" xmlns:p" + std::u16string(1, i) + u"=\"urn:" + std::u16string(1, i) + u"\"";
    xml += u"><p0:e xmlns:p0=\"urn:9\"/></r>";
    Ptr<IXMLDOMElement> root, element;
    Load(root, xml.c_str());
    Ptr<IXMLDOMNode> e;
    Child(root, 0, e);
    As(e, msxml6::IID_Element, element);
    ASSERT_EQ(S_OK, ns->pushNodeContext(e, VARIANT_TRUE));
    // urn:9 is p0 on the element before p9 on the root; urn:0 is p0 on the
    // root, which the element's p0 hides.
    EXPECT_EQ(u"p0", Prefix(u"urn:9", 0));
    EXPECT_EQ(u"<none>", Prefix(u"urn:0", 0));
    EXPECT_EQ(u"urn:9", Uri(u"p0", nullptr));
    ASSERT_EQ(S_OK, element->setAttribute(Bstr(u"xmlns:near"), StringVariant(Bstr(u"urn:5"))));
    EXPECT_EQ(u"near", Prefix(u"urn:5", 0));
    ASSERT_EQ(S_OK, ns->declarePrefix(u"mine", u"urn:5"));
    EXPECT_EQ(u"mine", Prefix(u"urn:5", 0));
    ASSERT_EQ(S_OK, element->setAttribute(Bstr(u"xmlns:p7"), StringVariant(Bstr(u"urn:seven"))));
    EXPECT_EQ(u"urn:seven", Uri(u"p7", nullptr));
    // Declaring a prefix the node binds replaces it on this level only.
    EXPECT_EQ(S_FALSE, ns->declarePrefix(u"p3", u"urn:new"));
    EXPECT_EQ(u"urn:new", Uri(u"p3", nullptr));
    EXPECT_EQ(u"<none>", Prefix(u"urn:3", 0));
    ASSERT_EQ(S_OK, ns->popContext());
    Uri(u"p3", nullptr, S_FALSE);
}

// Entities, outside references, broken or not namespace-well-formed text,
// too deep or too big a tree, unpaired surrogates (in text, an attribute, a
// name, at the end): each refused, a document that had content emptied.
TEST_F(MsxmlTest, HostileInputIsRefused)
{
    std::u16string deep, big = u"<a>";
    for (int i = 0; i < 100000; ++i)
        deep += u"<d>";
    big.append(20u << 20, u'x');
    big += u"</a>";
    const std::u16string refused[] = {
        u"<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>&e;</a>",
        u"<!DOCTYPE a SYSTEM \"http://example.invalid/a.dtd\"><a/>",
        u"<a><b>cut",
        u"",
        u"<a/><b/>",
        u"<psf:a/>",
        u"<a xmlns:p:=\"urn:x\"><p:b/></a>",
        deep,
        big,
        u"<a>x\xD800y</a>",
        u"<a>x\xDC00</a>",
        u"<a>\xDC00\xD800</a>",
        u"<a v=\"\xDBFF\"/>",
        u"<a\xDFFF/>",
        u"<a/>\xD800",
    };
    Ptr<IXMLDOMElement> root;
    for (const std::u16string &xml : refused) {
        SCOPED_TRACE(xml.size());
        Load(root);
        root.reset();
        ExpectRefused(xml);
    }
    // A pair is one character beyond the first plane, kept as it came.
    Load(root, u"<a v=\"\xD83D\xDE00\">\xDBFF\xDFFF</a>");
    EXPECT_EQ(u"<a v=\"\xD83D\xDE00\">\xDBFF\xDFFF</a>", Xml(root));
}

TEST_F(MsxmlTest, FaultInjection)
{
    Ptr<IXMLDOMElement> root;
    Load(root);
    Ptr<IXMLDOMNode> node, plain;
    standin::FailNext("IXMLDOMDocument::createNode", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY),
              doc->createNode(IntVariant(NODE_ELEMENT), Bstr(u"x"), Bstr(u""), &node));
    EXPECT_EQ(nullptr, node.p);
    standin::FailNext("IXMLDOMNode::cloneNode", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_TRUE(FAILED(root->cloneNode(VARIANT_TRUE, &plain)));
    EXPECT_EQ(nullptr, plain.p);
}

// A clone writes as its original wherever it lands: names declared above
// the original are bound where the clone is put, its own declarations stay.
TEST_F(MsxmlTest, ClonesWriteAsTheirOriginal)
{
    Ptr<IXMLDOMElement> root, asElement;
    Load(root);
    Ptr<IXMLDOMNode> feature, made, deep, shallow, attributeClone;
    ASSERT_EQ(S_OK, root->get_firstChild(&feature));
    Make(NODE_ELEMENT, u"q:x", u"urn:q", made);
    ASSERT_EQ(S_OK, feature->appendChild(made, nullptr));
    ASSERT_EQ(S_OK, feature->cloneNode(VARIANT_TRUE, &deep));
    ASSERT_EQ(S_OK, feature->cloneNode(VARIANT_FALSE, &shallow));
    ASSERT_EQ(S_OK, root->appendChild(deep, nullptr));
    EXPECT_EQ(Xml(feature), Xml(deep));
    EXPECT_EQ(0u, Count(Xml(deep), u"xmlns:psf"));
    EXPECT_EQ(u"<psf:Feature name=\"psk:PageMediaSize\"/>", Xml(shallow));  // kept until the document goes
    Ptr<IXMLDOMAttribute> name;
    As(feature, msxml6::IID_Element, asElement);
    ASSERT_EQ(S_OK, asElement->getAttributeNode(Bstr(u"name"), &name));
    EXPECT_EQ(E_NOTIMPL, name->cloneNode(VARIANT_TRUE, &attributeClone));
}

}  // namespace
