#include "src/base/unique.h"
#include "src/ptprovider/xmldomhelper.h"
#include "tests/host/expect.h"
#include "tests/support/tickets.h"

namespace {

class DomHelperTest : public TicketTest {
protected:
    void Start(const std::u16string &xml)
    {
        dom.Clear();
        if (document != nullptr)
            document->Release();
        document = LoadDocument(xml);
        ASSERT_NE(document, nullptr);
        ASSERT_EQ(dom.Initialize(document, &core), S_OK);
    }
    void TearDown() override
    {
        dom.Clear();
        if (document != nullptr)
            document->Release();
        TicketTest::TearDown();
    }

    IXMLDOMDocument2 *document = nullptr;
    CXmlDomHelper dom;
};

// Made prefixes and name attributes are pinned through the conversions (golden dumps, conversion tests).
TEST_F(DomHelperTest, OverlongNamesAreRefusedWhole)
{
    Start(u"<psf:PrintTicket" PT_NAMESPACES u"/>");
    std::u16string longest(9999, u'n'), tooLong(10000, u'n');
    unique_bstr name;
    ASSERT_EQ(dom.CreateQName(dom.Root(), kKeywordsNamespace, longest.c_str(), name.put()), S_OK);
    EXPECT_EQ(SysStringLen(name.get()), 4u + 9999u);
    EXPECT_EQ(dom.CreateQName(dom.Root(), kKeywordsNamespace, tooLong.c_str(), name.put()), E_INVALIDARG);
    EXPECT_FALSE(name);
    BSTR uri = reinterpret_cast<BSTR>(1);
    std::u16string qualified = tooLong + u":x";
    EXPECT_EQ(dom.ResolvePrefix(dom.Root(), qualified.c_str(), &uri), E_INVALIDARG);
    EXPECT_EQ(uri, nullptr);
}

// A made ParameterInit is whole, and a step that fails leaves nothing of
// what it began in the ticket: a ParameterInit without its value, or a Value
// without its text, would be read back as 0.
TEST_F(DomHelperTest, AFailedStepLeavesNoHalfMadeNode)
{
    Start(u"<psf:PrintTicket" PT_NAMESPACES u"/>");
    for (const char *api : {"IXMLDOMNode::put_text", "IXMLDOMElement::setAttributeNode", "SysAllocString"}) {
        for (int skip = 0; skip < 3; ++skip) {
            standin::FailNext(api, 1, ERROR_NOT_ENOUGH_MEMORY, skip);
            HRESULT hr = dom.CreateParameterInitNode(nullptr, kPrivateNamespace, TEXT("PageGapHeight"), VALUE_INTEGER,
                                                     TEXT("3000"));
            bool injected = standin::PlannedSkips(api) < 0;
            standin::ClearFaults();
            std::string xml = DocumentXml(document);
            if (FAILED(hr)) {
                EXPECT_TRUE(injected) << api;
                EXPECT_TRUE(Lacks(xml, "ParameterInit")) << api << " " << skip << ": ";
            } else {
                EXPECT_TRUE(Has(xml, "<psf:ParameterInit name=\"ns0000:PageGapHeight\"><psf:Value "
                                     "xsi:type=\"xsd:integer\">3000</psf:Value></psf:ParameterInit>"));
                com_ptr<IXMLDOMElement> made;
                ASSERT_EQ(dom.FindParameterInit(nullptr, kPrivateNamespace, TEXT("PageGapHeight"), made.put()), S_OK);
                ASSERT_EQ(dom.DeleteNode(nullptr, made.get()), S_OK);
            }
        }
    }
    standin::FailNext("IXMLDOMNode::put_text", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_TRUE(FAILED(dom.CreateValueNode(dom.Root(), TEXT("4000"), VALUE_INTEGER, nullptr)));
    EXPECT_EQ(DocumentXml(document).find("psf:Value"), std::string::npos) << "no empty Value";
    EXPECT_EQ(dom.CreateValueNode(dom.Root(), TEXT("x"), 3, nullptr), static_cast<HRESULT>(0xFFFFFFFF));
    EXPECT_EQ(DocumentXml(document).find("psf:Value"), std::string::npos) << "no Value of an unknown type";
    EXPECT_EQ(dom.CreateValueNode(nullptr, TEXT("x"), 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(dom.DeleteNode(nullptr, nullptr), E_INVALIDARG);
}

// A prefix or a namespace too long for the namespace manager's quick answer
// is resolved the long way; the element found is the caller's reference.
TEST_F(DomHelperTest, AFeatureFoundThroughALongPrefixOrNamespaceIsTheCallers)
{
    const std::u16string longPrefix(300, u'p'), longUri = u"urn:" + std::u16string(300, u'u');
    for (auto [prefix, uri] :
         {std::pair{longPrefix, std::u16string(kKeywordsNamespace)}, std::pair{std::u16string(u"q"), longUri}}) {
        Start(u"<psf:PrintTicket" PT_NAMESPACES u" xmlns:" + prefix + u"=\"" + uri + u"\"><psf:Feature name=\"" +
              prefix + u":PageResolution\"/></psf:PrintTicket>");
        for (int twice = 0; twice < 2; ++twice) {
            com_ptr<IXMLDOMElement> found;
            ASSERT_EQ(dom.FindFeature(nullptr, uri.c_str(), TEXT("PageResolution"), found.put()), S_OK);
            unique_bstr name;
            EXPECT_EQ(found->get_nodeName(name.put()), S_OK);
            EXPECT_EQ(std::u16string(name.get()), u"psf:Feature");
        }
    }
}

// Finds among the root's children (first match, prefix resolved where it stands) follow the helper's
// deletes, renames and adds: with names the root's index keeps and with names the finds walk.
TEST_F(DomHelperTest, RootFindsFollowTheHelpersChanges)
{
    for (auto [a, b] :
         {std::pair<std::u16string, std::u16string>{u"PageResolution", u"DocumentOEMMirror"}, {u"A", u"B"}}) {
        SCOPED_TRACE(Utf8Of(a.c_str()));
        auto pa = u"psk:" + a, pb = u"psk:" + b;
        // Bound on the features themselves, the first two still resolve once deleted.
        std::u16string own = u" xmlns:psk=\"" + std::u16string(kKeywordsNamespace) + u"\"";
        Start(u"<psf:PrintTicket" PT_NAMESPACES u" xmlns:o=\"urn:other\"><psf:Feature name=\"o:" + a +
              u"\" n=\"other\"/><psf:ParameterInit name=\"" + pa + u"\" n=\"parameter\"/><psf:Feature" + own +
              u" name=\"" + pa + u"\" n=\"first\"/><psf:Feature" + own + u" name=\"" + pa +
              u"\" n=\"second\"/><psf:Feature xmlns:o=\"urn:inner\" name=\"o:" + a +
              u"\" n=\"inner\"/></psf:PrintTicket>");
        auto found = [this](PCWSTR ns, PCWSTR local) {
            com_ptr<IXMLDOMElement> element;
            if (dom.FindFeature(nullptr, ns, local, element.put()) != S_OK)
                return std::u16string(u"none");
            VARIANT n;
            unique_bstr name(SysAllocString(TEXT("n")));
            EXPECT_EQ(element->getAttribute(name.get(), &n), S_OK);
            std::u16string text(V_BSTR(&n));
            VariantClear(&n);
            return text;
        };
        EXPECT_EQ(found(kKeywordsNamespace, a.c_str()), u"first");
        EXPECT_EQ(found(TEXT("urn:other"), a.c_str()), u"other");
        EXPECT_EQ(found(TEXT("urn:inner"), a.c_str()), u"inner");
        com_ptr<IXMLDOMElement> parameter;
        ASSERT_EQ(dom.FindParameterInit(nullptr, kKeywordsNamespace, a.c_str(), parameter.put()), S_OK);

        // The first renamed, then deleted, leaves the second; renaming that leaves none.
        com_ptr<IXMLDOMElement> first;
        ASSERT_EQ(dom.FindFeature(nullptr, kKeywordsNamespace, a.c_str(), first.put()), S_OK);
        ASSERT_EQ(dom.SetAttribute(first.get(), kName, TEXT(""), pb.c_str()), S_OK);
        EXPECT_EQ(found(kKeywordsNamespace, b.c_str()), u"first");
        ASSERT_EQ(dom.DeleteNode(nullptr, first.get()), S_OK);
        EXPECT_EQ(found(kKeywordsNamespace, b.c_str()), u"none");
        EXPECT_EQ(found(kKeywordsNamespace, a.c_str()), u"second");
        com_ptr<IXMLDOMElement> second;
        ASSERT_EQ(dom.FindFeature(nullptr, kKeywordsNamespace, a.c_str(), second.put()), S_OK);
        ASSERT_EQ(dom.SetAttribute(second.get(), kName, TEXT(""), pb.c_str()), S_OK);
        EXPECT_EQ(found(kKeywordsNamespace, a.c_str()), u"none");
        EXPECT_EQ(found(kKeywordsNamespace, b.c_str()), u"second");

        // A feature the helper adds is found after the ones before it.
        com_ptr<IXMLDOMElement> added;
        ASSERT_EQ(dom.CreateElement(dom.Root(), kFeature, kFrameworkNamespace, added.put()), S_OK);
        ASSERT_EQ(dom.SetAttribute(added.get(), kName, TEXT(""), pb.c_str()), S_OK);
        ASSERT_EQ(dom.SetAttribute(added.get(), TEXT("n"), TEXT(""), TEXT("added")), S_OK);
        EXPECT_EQ(found(kKeywordsNamespace, b.c_str()), u"second");
        // Deleted through the reference the finds hand out now.
        ASSERT_EQ(dom.FindFeature(nullptr, kKeywordsNamespace, b.c_str(), second.put()), S_OK);
        ASSERT_EQ(dom.DeleteNode(nullptr, second.get()), S_OK);
        EXPECT_EQ(found(kKeywordsNamespace, b.c_str()), u"added");
        EXPECT_EQ(found(TEXT("urn:other"), a.c_str()), u"other");
    }
}

TEST_F(DomHelperTest, StartingNeedsADocumentAndAHelper)
{
    document = LoadDocument(u"<a/>");
    EXPECT_EQ(dom.Initialize(nullptr, &core), E_INVALIDARG);
    EXPECT_EQ(dom.Initialize(document, nullptr), E_INVALIDARG);
    standin::FailNext("CoCreateInstance", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_TRUE(FAILED(dom.Initialize(document, &core)));
    EXPECT_EQ(dom.Root(), nullptr);
    EXPECT_EQ(dom.Document(), nullptr) << "a failed start holds nothing";
}

}  // namespace
