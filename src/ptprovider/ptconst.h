// Namespace and name constants of the print ticket side. Inline: one
// address in every file, so the DOM helper knows a constant by its address.
#pragma once

#include "platform/win32.h"

inline constexpr WCHAR kFrameworkNamespace[] =
    TEXT("http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework");
inline constexpr WCHAR kKeywordsNamespace[] =
    TEXT("http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords");
// The namespace of the plug-in's own features and parameters in tickets and
// capabilities.
inline constexpr WCHAR kPrivateNamespace[] = TEXT("http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private");
inline constexpr WCHAR kInstanceNamespace[] = TEXT("http://www.w3.org/2001/XMLSchema-instance");
inline constexpr WCHAR kSchemaNamespace[] = TEXT("http://www.w3.org/2001/XMLSchema");

inline constexpr WCHAR kFeature[] = TEXT("Feature");
inline constexpr WCHAR kOption[] = TEXT("Option");
inline constexpr WCHAR kParameterInit[] = TEXT("ParameterInit");
inline constexpr WCHAR kParameterDef[] = TEXT("ParameterDef");
inline constexpr WCHAR kProperty[] = TEXT("Property");
inline constexpr WCHAR kValue[] = TEXT("Value");
inline constexpr WCHAR kName[] = TEXT("name");
inline constexpr WCHAR kType[] = TEXT("type");

// Value type codes of CreateValueNode.
enum ValueType : INT {
    VALUE_INTEGER = 0,
    VALUE_STRING = 1,
    VALUE_QNAME = 2,
};

// The debug files each conversion writes.
inline constexpr WCHAR kPtToDevIn[] = TEXT("C:\\Users\\Public\\PtToDev_in.xml");
inline constexpr WCHAR kDevToPtIn[] = TEXT("C:\\Users\\Public\\DevToPt_in.xml");
inline constexpr WCHAR kDevToPtOut[] = TEXT("C:\\Users\\Public\\DevToPt_out.xml");
inline constexpr WCHAR kCapabilitiesIn[] = TEXT("C:\\Users\\Public\\capability-entry.xml");
inline constexpr WCHAR kCapabilitiesOut[] = TEXT("C:\\Users\\Public\\capability.xml");
