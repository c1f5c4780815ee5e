// Namespace and name constants of the print ticket side.
#pragma once

#include "platform/win32.h"

constexpr WCHAR kFrameworkNamespace[] =
    TEXT("http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework");
constexpr WCHAR kKeywordsNamespace[] =
    TEXT("http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords");
// The namespace of the plug-in's own features and parameters in tickets and
// capabilities.
constexpr WCHAR kPrivateNamespace[] = TEXT("http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private");
constexpr WCHAR kInstanceNamespace[] = TEXT("http://www.w3.org/2001/XMLSchema-instance");
constexpr WCHAR kSchemaNamespace[] = TEXT("http://www.w3.org/2001/XMLSchema");

constexpr WCHAR kFeature[] = TEXT("Feature");
constexpr WCHAR kOption[] = TEXT("Option");
constexpr WCHAR kParameterInit[] = TEXT("ParameterInit");
constexpr WCHAR kParameterDef[] = TEXT("ParameterDef");
constexpr WCHAR kProperty[] = TEXT("Property");
constexpr WCHAR kValue[] = TEXT("Value");
constexpr WCHAR kName[] = TEXT("name");
constexpr WCHAR kType[] = TEXT("type");

// Value type codes of CreateValueNode.
enum ValueType : INT {
    VALUE_INTEGER = 0,
    VALUE_STRING = 1,
    VALUE_QNAME = 2,
};

// The debug files each conversion writes.
constexpr WCHAR kPtToDevIn[] = TEXT("C:\\Users\\Public\\PtToDev_in.xml");
constexpr WCHAR kDevToPtIn[] = TEXT("C:\\Users\\Public\\DevToPt_in.xml");
constexpr WCHAR kDevToPtOut[] = TEXT("C:\\Users\\Public\\DevToPt_out.xml");
constexpr WCHAR kCapabilitiesIn[] = TEXT("C:\\Users\\Public\\capability-entry.xml");
constexpr WCHAR kCapabilitiesOut[] = TEXT("C:\\Users\\Public\\capability.xml");
