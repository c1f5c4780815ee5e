// The plug-in's ticket vocabulary: the parameters and features of its
// private namespace and the OEMDEV field each one carries.
#pragma once

#include "platform/win32.h"
#include "src/records/records.h"

#include <cstddef>

struct OptionList {
    const WCHAR *const *names;
    INT readCount;   // options a ticket may select when read
    INT writeCount;  // options a value may be written as
};

struct TicketParameter {
    const WCHAR *name;
    size_t field;   // offset in OEMDEV; millimetres there, microns in the ticket
    LONG maxValue;  // the declared bounds, in microns
    LONG minValue;
};

struct TicketFeature {
    const WCHAR *name;
    const WCHAR *nameNamespace;
    const OptionList *options;
    size_t field;  // offset in OEMDEV of the position of the selected option
};

// The field a row carries.
inline LONG &FieldOf(OEMDEV &record, size_t offset)
{
    return *reinterpret_cast<LONG *>(reinterpret_cast<BYTE *>(&record) + offset);
}

// In ticket order: PageHorizontalOffset to PageGapOffset.
extern const TicketParameter kTicketParameters[5];
// In ticket order: DocumentOEMRotate to DocumentOEMHalfCutMark.
extern const TicketFeature kPrivateFeatures[14];
// PageResolution, in the keywords namespace, with the print qualities.
extern const TicketFeature kResolutionFeature;
// The parameters in the order they are declared in capabilities.
extern const TicketParameter *const kDeclaredParameters[5];

// The names the plug-in gives its parameters and features (the keywords'
// PageResolution included): the only names its finds from the root ask for.
constexpr size_t kVocabularyNames = 20;
// The name's place among them, or -1 when it is not one of them.
int VocabularyIndex(const WCHAR *local, size_t units);
