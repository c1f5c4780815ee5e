#include "src/ptprovider/conversions.h"

#include "src/base/debug.h"
#include "src/base/text.h"
#include "src/base/unique.h"
#include "src/ptprovider/ptconst.h"
#include "src/settings/devmode.h"
#include "src/settings/printer.h"
#include "src/settings/settings.h"

#include <cstdio>

namespace {

// Empties an element, to give it new content in place.
HRESULT RemoveChildren(IXMLDOMElement *pElement)
{
    for (;;) {
        com_ptr<IXMLDOMNode> child;
        HRESULT hr = pElement->get_firstChild(child.put());
        if (FAILED(hr))
            return hr;
        if (!child)
            return S_OK;
        hr = pElement->removeChild(child.get(), nullptr);
        if (FAILED(hr))
            return hr;
    }
}

// The trace lines name a row with %S, which takes narrow text.
struct NarrowName {
    char text[64];
    explicit NarrowName(PCWSTR name)
    {
        WideCharToMultiByte(CP_ACP, 0, name, -1, text, sizeof(text), nullptr, nullptr);
        text[sizeof(text) - 1] = 0;
    }
};

}  // namespace

void CopyTicketFieldsToSettings(const OEMDEV &record, REGSTRUCT &settings)
{
    settings.Speed = record.Speed;
    settings.Density = record.Density;
    settings.Reference[0] = record.Reference[0];
    settings.Reference[1] = record.Reference[1];
    settings.Rotate = record.Rotate;
    settings.Gap = record.Gap;
    settings.Gappara[0] = record.Gappara[0];
    settings.Gappara[1] = record.Gappara[1];
    settings.Offset = record.Offset;
    settings.Settear = record.Settear;
    settings.Gray = record.Gray;
    settings.Reverse = record.Reverse;
    settings.BlackLevel = record.BlackLevel;
    settings.GrayLevel = record.GrayLevel;
    settings.Chain = record.Chain;
    settings.Mirror = record.Mirror;
    settings.AutoCut = record.AutoCut;
    settings.SpecialTape = record.SpecialTape;
    settings.HalfCut = record.HalfCut;
    settings.iQuality = record.iQuality;
}

void CopySettingsToTicketFields(const REGSTRUCT &settings, OEMDEV &record)
{
    CopySettingsToOEMDev(&settings, &record);
    record.BlackLevel = settings.BlackLevel;
    record.GrayLevel = settings.GrayLevel;
}

////////////////////////////////////////////////////////////////////////////////
// PrintTicket to DEVMODE

// Each read answers S_OK when the ticket had the row or not, and the failure
// when the ticket could not be read: a row that could not be read is not
// taken for one the ticket lacks.
HRESULT ReadParameterInit(CXmlDomHelper &dom, const TicketParameter &parameter, OEMDEV &record)
{
    com_ptr<IXMLDOMElement> init;
    HRESULT hr = dom.FindParameterInit(nullptr, kPrivateNamespace, parameter.name, init.put());
    if (hr != S_OK || !init) {
        WARNING(TEXT("get init %S node fail and hr is %x"), NarrowName(parameter.name).text, hr);
        return FAILED(hr) ? hr : S_OK;
    }
    // The value is the Value element, whatever comments or processing
    // instructions come before it; a ParameterInit without one is left as
    // it is.
    com_ptr<IXMLDOMElement> value;
    hr = dom.FindChildElement(init.get(), kFrameworkNamespace, kValue, value.put());
    if (FAILED(hr)) {
        WARNING(TEXT("get init %S node child fail and hr is %x"), NarrowName(parameter.name).text, hr);
        return hr;
    }
    if (hr != S_OK || !value)
        return S_OK;
    unique_bstr text;
    hr = value->get_text(text.put());
    if (FAILED(hr))
        return hr;
    if (!text)
        return S_OK;
    // Microns to whole millimetres, truncated toward zero.
    LONG &field = FieldOf(record, parameter.field);
    field = _wtoi(text.get()) / 1000;
    OutputDebugStringW(parameter.name);
    WARNING(TEXT("UI:  %d"), field);
    // A parameter read is a parameter consumed: the ticket no longer carries it.
    dom.DeleteNode(nullptr, init.get());
    return S_OK;
}

HRESULT readFeatureNode(CXmlDomHelper &dom, const TicketFeature &feature, OEMDEV &record)
{
    OutputDebugStringA("readFeatureNode entry");
    OutputDebugStringW(feature.name);

    com_ptr<IXMLDOMElement> node, option;
    HRESULT hr = dom.FindFeature(nullptr, feature.nameNamespace, feature.name, node.put());
    if (hr != S_OK || !node)
        OutputDebugStringA("readFeatureNode:get feature node fail");
    if (SUCCEEDED(hr) && node)
        hr = dom.FindOption(node.get(), option.put());
    if (FAILED(hr) || !node || hr != S_OK || !option) {
        OutputDebugStringA("readFeatureNode::get Option node fail");
        return FAILED(hr) ? hr : S_OK;
    }
    unique_bstr optionNamespace, optionName;
    hr = dom.GetNameAttribute(option.get(), optionNamespace.put(), optionName.put());
    if (hr != S_OK || !optionNamespace) {
        OutputDebugStringA("readFeatureNode::get attribute fail");
        return FAILED(hr) ? hr : S_OK;
    }
    if (!SameText(optionNamespace.get(), kPrivateNamespace)) {
        OutputDebugStringA("readFeatureNode:unknown namespace");
        OutputDebugStringW(optionNamespace.get());
        return S_OK;
    }
    const OptionList &list = *feature.options;
    for (INT i = 0; i < list.readCount; ++i) {
        if (SameText(optionName.get(), list.names[i])) {
            FieldOf(record, feature.field) = i;
            OutputDebugStringA("find");
            OutputDebugStringW(optionName.get());
            return S_OK;
        }
    }
    return S_OK;
}

HRESULT ReadTicketSettings(CXmlDomHelper &dom, OEMDEV *pOEMDev)
{
    WARNING(TEXT("change devmode entry"));
    if (pOEMDev == nullptr) {
        OutputDebugStringA("pOemdev is null");
        return E_POINTER;
    }
    HRESULT hr = S_OK;
    for (const TicketParameter &parameter : kTicketParameters)
        if (SUCCEEDED(hr))
            hr = ReadParameterInit(dom, parameter, *pOEMDev);
    for (const TicketFeature &feature : kPrivateFeatures)
        if (SUCCEEDED(hr))
            hr = readFeatureNode(dom, feature, *pOEMDev);
    if (SUCCEEDED(hr))
        hr = readFeatureNode(dom, kResolutionFeature, *pOEMDev);
    if (FAILED(hr)) {
        WARNING(TEXT("UI:  the ticket could not be read, error %x"), hr);
        return hr;
    }
    WARNING(TEXT("read ticket params:"));
    DumpOEMDevFields(pOEMDev);
    return S_OK;
}

void StoreTicketSettings(HANDLE hPrinter, const OEMDEV &record)
{
    // A buffer of this call's own, starting as the defaults: a short stored
    // value keeps the defaults in its missing tail, never an earlier call's.
    REGSTRUCT settings;
    SetDefaultSettings(&settings);
    SettingsRead read = ReadStoredSettings(hPrinter, &settings);
    if (read.state == StoredSettings::Unreadable) {
        // A passing failure: the printer's own settings may be fine, and
        // defaults written over them would lose them.
        WARNING(TEXT("UI:  stored settings unreadable, error code is %d; left as they are"), read.result);
        return;
    }
    if (read.result != ERROR_SUCCESS || settings.Version != REGSTRUCT_VERSION)
        SetDefaultSettings(&settings);
    CopyTicketFieldsToSettings(record, settings);

    SpoolerBlock block = FetchPrinterInfo2(hPrinter);
    if (!block.block) {
        OutputDebugStringA("没拿到pPrinterInfo");
        WARNING(TEXT("UI:  error code is %d"), GetLastError());
        return;
    }
    auto *info = block.As<PRINTER_INFO_2W>();
    unique_printer printer;
    if (info != nullptr && info->pPrinterName != nullptr) {
        OutputDebugStringW(info->pPrinterName);
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        OpenPrinterW(info->pPrinterName, printer.put(), &defaults);
    } else {
        OutputDebugStringA("没拿到打印机名字");
    }
    DWORD status = StoreSettings(printer.get(), settings);
    WARNING(TEXT("UI:  change devmode status is %d and error code is %d"), status, GetLastError());
}

////////////////////////////////////////////////////////////////////////////////
// DEVMODE to PrintTicket

void WriteParameterInit(CXmlDomHelper &dom, const TicketParameter &parameter, LONG value)
{
    // The ticket holds microns in at most nine characters; a value that does
    // not fit is left out rather than written cut.
    LONGLONG microns = static_cast<LONGLONG>(value) * 1000;
    char narrow[10];
    if (microns > 999999999LL || microns < -99999999LL) {
        WARNING(TEXT("UI:  %S of %d mm is out of range and not written\r\n"), NarrowName(parameter.name).text, value);
        return;
    }
    std::snprintf(narrow, sizeof(narrow), "%lld", static_cast<long long>(microns));
    // Digits and a sign widen unit by unit: no conversion that could fail
    // and leave a wrong number in the ticket.
    WCHAR text[10] = {};
    for (size_t i = 0; i < ARRAYSIZE(text) && narrow[i] != 0; ++i)
        text[i] = static_cast<WCHAR>(narrow[i]);
    OutputDebugStringW(text);

    // A ticket holds one ParameterInit per name: one it already has (under
    // any prefix) takes the new value instead of getting a second.
    com_ptr<IXMLDOMElement> existing;
    if (dom.FindParameterInit(nullptr, kPrivateNamespace, parameter.name, existing.put()) == S_OK && existing) {
        OutputDebugStringW(parameter.name);
        HRESULT hr = RemoveChildren(existing.get());
        if (SUCCEEDED(hr))
            hr = dom.CreateValueNode(existing.get(), text, VALUE_INTEGER, nullptr);
        if (FAILED(hr))
            WARNING(TEXT("CreateParameterInitNode:create child value node fail and hr is %x"), hr);
        return;
    }
    dom.CreateParameterInitNode(nullptr, kPrivateNamespace, parameter.name, VALUE_INTEGER, text);
}

void changeFeatureNode(CXmlDomHelper &dom, const TicketFeature &feature, LONG value)
{
    OutputDebugStringA("changeFeatureNode entry");
    OutputDebugStringW(feature.name);
    const OptionList &list = *feature.options;
    // A value outside the list names no option: the core's choice stays.
    if (value < 0 || value >= list.writeCount) {
        WARNING(TEXT("UI:  changeFeatureNode: %S has no option for %d, left as it was\r\n"),
                NarrowName(feature.name).text, value);
        return;
    }
    const WCHAR *optionName = list.names[value];
    OutputDebugStringW(optionName);

    com_ptr<IXMLDOMElement> node, option;
    if (dom.FindFeature(nullptr, feature.nameNamespace, feature.name, node.put()) == S_OK && node)
        dom.FindOption(node.get(), option.put());
    else
        OutputDebugStringA("changeFeatureNode:get feature node fail");
    if (!option) {
        OutputDebugStringA("changeFeatureNode:get  Option node fail");
        return;
    }
    // Named with the prefix the ticket binds to the private namespace at the
    // option (declared on the root when it binds none).
    unique_bstr qname;
    if (FAILED(dom.CreateQName(option.get(), kPrivateNamespace, optionName, qname.put())))
        return;
    OutputDebugStringW(qname.get());
    unique_bstr attribute(SysAllocString(kName));
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = qname.Take();
    if (attribute && V_BSTR(&text) != nullptr)
        option->setAttribute(attribute.get(), text);
    VariantClear(&text);
}

void WriteTicketSettings(CXmlDomHelper &dom, OEMDEV *pOEMDev)
{
    if (pOEMDev == nullptr) {
        OutputDebugStringA("pOemdev is null");
        return;
    }
    WARNING(TEXT("UI:  read reg"));
    DumpOEMDevFields(pOEMDev);
    for (const TicketParameter &parameter : kTicketParameters)
        WriteParameterInit(dom, parameter, FieldOf(*pOEMDev, parameter.field));
    for (const TicketFeature &feature : kPrivateFeatures)
        changeFeatureNode(dom, feature, FieldOf(*pOEMDev, feature.field));
}

bool IsFalconPrinter(HANDLE hPrinter)
{
    SpoolerBlock block = FetchPrinterInfo2(hPrinter);
    auto *info = block.As<PRINTER_INFO_2W>();
    return info != nullptr && SameText(info->pDriverName, kFalconModel);
}

////////////////////////////////////////////////////////////////////////////////
// PrintCapabilities completion

HRESULT CreatePropertyNode(CXmlDomHelper &dom, IXMLDOMElement *pParent, PCWSTR pElementName, PCWSTR pNameNamespace,
                           PCWSTR pNameLocal, IXMLDOMElement **ppElement, CXmlDomHelper::Scope parentScope)
{
    if (ppElement != nullptr)
        *ppElement = nullptr;
    IXMLDOMElement *parent = pParent != nullptr ? pParent : dom.Root();
    com_ptr<IXMLDOMElement> element;
    HRESULT hr = dom.CreateElement(parent, pElementName, kFrameworkNamespace, element.put(), parentScope);
    unique_bstr qname;
    if (SUCCEEDED(hr))
        hr = dom.CreateQName(element.get(), pNameNamespace, pNameLocal, qname.put(), parentScope);
    if (SUCCEEDED(hr))
        hr = dom.SetNameAttribute(element.get(), qname.get());
    if (SUCCEEDED(hr) && ppElement != nullptr)
        *ppElement = element.Take();
    return hr;
}

HRESULT CreatePropertyNode(CXmlDomHelper &dom, IXMLDOMElement *pParent, PCWSTR pElementName, PCWSTR pNameNamespace,
                           PCWSTR pNameLocal, IXMLDOMElement **ppElement)
{
    IXMLDOMElement *parent = pParent != nullptr ? pParent : dom.Root();
    CXmlDomHelper::Scope scope = parent == dom.Root() ? CXmlDomHelper::Scope::Root : CXmlDomHelper::Scope::Own;
    return CreatePropertyNode(dom, parent, pElementName, pNameNamespace, pNameLocal, ppElement, scope);
}

namespace {

struct DefinitionProperty {
    const WCHAR *name;
    INT type;
};
// The properties of a parameter definition, in the order they are written.
// DataType and Mandatory are QNames, written with the prefixes the
// document binds to the schema and keywords namespaces; MaxValue and
// MinValue are the parameter's own limits.
constexpr DefinitionProperty kDefinitionProperties[] = {
    {TEXT("DataType"), VALUE_QNAME},     {TEXT("UnitType"), VALUE_STRING},    {TEXT("Multiple"), VALUE_INTEGER},
    {TEXT("MaxValue"), VALUE_INTEGER},   {TEXT("MinValue"), VALUE_INTEGER},   {TEXT("DefaultValue"), VALUE_INTEGER},
    {TEXT("Mandatory"), VALUE_QNAME},
};
constexpr LONG kMaxValueAt = 3;
constexpr LONG kMinValueAt = 4;

struct Limits {
    WCHAR maxText[16];
    WCHAR minText[16];
    explicit Limits(const TicketParameter &parameter)
    {
        _snwprintf_s(maxText, ARRAYSIZE(maxText), _TRUNCATE, TEXT("%d"), parameter.maxValue);
        _snwprintf_s(minText, ARRAYSIZE(minText), _TRUNCATE, TEXT("%d"), parameter.minValue);
    }
};

// The text of the Value of the property at place `at` of a definition.
HRESULT SetPropertyValue(IXMLDOMNodeList *pProperties, LONG at, PCWSTR pText)
{
    com_ptr<IXMLDOMNode> property, value;
    HRESULT hr = pProperties->get_item(at, property.put());
    if (hr == S_OK && property)
        hr = property->get_firstChild(value.put());
    if (hr != S_OK || !value)
        return FAILED(hr) ? hr : E_FAIL;
    unique_bstr text(SysAllocString(pText));
    if (!text)
        return E_OUTOFMEMORY;
    return value->put_text(text.get());
}

// A copy of a definition made whole, with the parameter's name and limits:
// the same bytes as one built element by element, for a few DOM calls. It
// joins the tree only when it is complete.
HRESULT CopyParameterDef(CXmlDomHelper &dom, IXMLDOMElement *pModel, PCWSTR pNamespace,
                         const TicketParameter &parameter, const Limits &limits)
{
    com_ptr<IXMLDOMElement> copy;
    HRESULT hr = dom.CloneElement(pModel, copy.put());
    unique_bstr qname;
    if (SUCCEEDED(hr))
        hr = dom.CreateQName(dom.Root(), pNamespace, parameter.name, qname.put(), CXmlDomHelper::Scope::Root);
    if (SUCCEEDED(hr))
        hr = dom.SetNameAttribute(copy.get(), qname.get());
    com_ptr<IXMLDOMNodeList> properties;
    if (SUCCEEDED(hr))
        hr = copy->get_childNodes(properties.put());
    if (SUCCEEDED(hr) && !properties)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = SetPropertyValue(properties.get(), kMaxValueAt, limits.maxText);
    if (SUCCEEDED(hr))
        hr = SetPropertyValue(properties.get(), kMinValueAt, limits.minText);
    if (SUCCEEDED(hr))
        hr = dom.AppendToRoot(copy.get(), kParameterDef, kFrameworkNamespace, qname.get());
    return hr;
}

}  // namespace

HRESULT CreateParameterDefNode(CXmlDomHelper &dom, PCWSTR pNamespace, const TicketParameter &parameter,
                               com_ptr<IXMLDOMElement> *pModel)
{
    const Limits limits(parameter);

    // Capabilities declare a parameter once: a ParameterDef the document
    // already has is given its properties anew instead of a second one.
    com_ptr<IXMLDOMElement> definition;
    unique_bstr qname;
    HRESULT hr = S_OK;
    // A definition the document brought may declare prefixes of its own; a
    // new one stands in the root's scope.
    CXmlDomHelper::Scope scope = CXmlDomHelper::Scope::Own;
    if (dom.FindNamedElement(dom.Root(), kFrameworkNamespace, kParameterDef, pNamespace, parameter.name,
                             definition.put()) == S_OK &&
        definition) {
        hr = RemoveChildren(definition.get());
        if (FAILED(hr)) {
            WARNING(TEXT("CreateParameterDefNode:create node fail and hr is %x"), hr);
            return hr;
        }
    } else {
        // A copy that cannot be made is built instead, element by element.
        if (pModel != nullptr && *pModel &&
            SUCCEEDED(CopyParameterDef(dom, pModel->get(), pNamespace, parameter, limits)))
            return S_OK;
        scope = CXmlDomHelper::Scope::Root;
        hr = dom.CreateElement(dom.Root(), kParameterDef, kFrameworkNamespace, definition.put(), scope);
        if (FAILED(hr))
            WARNING(TEXT("CreateParameterDefNode:create node fail and hr is %x"), hr);
        if (SUCCEEDED(hr))
            hr = dom.CreateQName(definition.get(), pNamespace, parameter.name, qname.put(), scope);
        if (FAILED(hr))
            WARNING(TEXT("CreateParameterDefNode:create qname fail and hr is %x"), hr);
        if (SUCCEEDED(hr))
            hr = dom.SetNameAttribute(definition.get(), qname.get());
        if (FAILED(hr)) {
            WARNING(TEXT("CreateParameterDefNode:create attribute fail and hr is %x"), hr);
            return hr;
        }
        dom.IndexNewRootChild(definition.get(), kParameterDef, kFrameworkNamespace, qname.get());
    }
    unique_bstr integerType, optional;
    dom.CreateQName(definition.get(), kSchemaNamespace, TEXT("integer"), integerType.put(), scope);
    dom.CreateQName(definition.get(), kKeywordsNamespace, TEXT("Optional"), optional.put(), scope);

    const WCHAR *const texts[ARRAYSIZE(kDefinitionProperties)] = {
        integerType.get(), TEXT("microns"), TEXT("1"), limits.maxText, limits.minText, TEXT("0"), optional.get(),
    };

    // A property that fails does not stop the next; the last one decides.
    bool whole = true;
    for (size_t i = 0; i < ARRAYSIZE(kDefinitionProperties); ++i) {
        const DefinitionProperty &property = kDefinitionProperties[i];
        com_ptr<IXMLDOMElement> node;
        hr =
            CreatePropertyNode(dom, definition.get(), kProperty, kFrameworkNamespace, property.name, node.put(), scope);
        bool written = SUCCEEDED(hr) && texts[i] != nullptr &&
                       SUCCEEDED(dom.CreateValueNode(node.get(), texts[i], property.type, nullptr, scope));
        whole = whole && written;
    }
    // Only a definition of the root's scope, complete, is a model.
    if (pModel != nullptr && !*pModel && whole && scope == CXmlDomHelper::Scope::Root)
        *pModel = std::move(definition);
    return hr;
}
