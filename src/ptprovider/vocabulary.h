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

// Whether a local name is one the plug-in gives a parameter or feature of
// its own (the keywords' PageResolution included): the only names its finds
// from the root ask for.
bool IsVocabularyName(const WCHAR *local, size_t units);
