#include "src/ptprovider/vocabulary.h"

#include "src/ptprovider/ptconst.h"

#include <array>
#include <cstddef>

namespace {

const WCHAR *const kRotation[] = {TEXT("Porital"), TEXT("Porital180"), TEXT("Landspace180"), TEXT("Landspace")};
const WCHAR *const kPaper[] = {TEXT("LabelWithGap"), TEXT("ContinuousPaper"), TEXT("LabelWithMarks")};
const WCHAR *const kDithering[] = {TEXT("NONE"), TEXT("OrderedDithering"), TEXT("ErrorDiffsuion")};
const WCHAR *const kNumbered[] = {
    TEXT("Option1"),  TEXT("Option2"),  TEXT("Option3"),  TEXT("Option4"),  TEXT("Option5"),
    TEXT("Option6"),  TEXT("Option7"),  TEXT("Option8"),  TEXT("Option9"),  TEXT("Option10"),
    TEXT("Option11"), TEXT("Option12"), TEXT("Option13"), TEXT("Option14"), TEXT("Option15"),
};
const WCHAR *const kPostPrint[] = {TEXT("NONE"), TEXT("TearOff"), TEXT("PeelOff")};
const WCHAR *const kYesNo[] = {TEXT("NO"), TEXT("YES")};
const WCHAR *const kQuality[] = {TEXT("Standard"), TEXT("HighQuality"), TEXT("HighResolution"), TEXT("HighSpeed")};

const OptionList kRotationList = {kRotation, 4, 4};
const OptionList kPaperList = {kPaper, 3, 3};
const OptionList kDitheringList = {kDithering, 3, 3};
// The effect levels are read from the first seven options only but written
// with all fifteen.
const OptionList kLevelList = {kNumbered, 7, 15};
const OptionList kDensityList = {kNumbered, 15, 15};
const OptionList kSpeedList = {kNumbered, 5, 5};
const OptionList kPostPrintList = {kPostPrint, 3, 3};
const OptionList kYesNoList = {kYesNo, 2, 2};
const OptionList kQualityList = {kQuality, 4, 4};

}  // namespace

const TicketParameter kTicketParameters[5] = {
    {TEXT("PageHorizontalOffset"), offsetof(OEMDEV, Reference), 100000, -100000},
    {TEXT("PageVerticalOffset"), offsetof(OEMDEV, Reference) + sizeof(LONG), 100000, -100000},
    {TEXT("PageAfterPrint"), offsetof(OEMDEV, Offset), 100000, 0},
    {TEXT("PageGapHeight"), offsetof(OEMDEV, Gappara), 100000, 0},
    {TEXT("PageGapOffset"), offsetof(OEMDEV, Gappara) + sizeof(LONG), 100000, 0},
};

const TicketFeature kPrivateFeatures[14] = {
    {TEXT("DocumentOEMRotate"), kPrivateNamespace, &kRotationList, offsetof(OEMDEV, Rotate)},
    {TEXT("DocumentOEMPaperType"), kPrivateNamespace, &kPaperList, offsetof(OEMDEV, Gap)},
    {TEXT("DocumentOEMGray"), kPrivateNamespace, &kDitheringList, offsetof(OEMDEV, Gray)},
    {TEXT("DocumentOEMBlackLevel"), kPrivateNamespace, &kLevelList, offsetof(OEMDEV, BlackLevel)},
    {TEXT("DocumentOEMGrayLevel"), kPrivateNamespace, &kLevelList, offsetof(OEMDEV, GrayLevel)},
    {TEXT("DocumentOEMPrintSpeed"), kPrivateNamespace, &kSpeedList, offsetof(OEMDEV, Speed)},
    {TEXT("DocumentOEMPrintDensity"), kPrivateNamespace, &kDensityList, offsetof(OEMDEV, Density)},
    {TEXT("DocumentOEMPOST"), kPrivateNamespace, &kPostPrintList, offsetof(OEMDEV, Settear)},
    {TEXT("DocumentOEMReverse"), kPrivateNamespace, &kYesNoList, offsetof(OEMDEV, Reverse)},
    {TEXT("DocumentOEMMirror"), kPrivateNamespace, &kYesNoList, offsetof(OEMDEV, Mirror)},
    {TEXT("DocumentOEMChain"), kPrivateNamespace, &kYesNoList, offsetof(OEMDEV, Chain)},
    {TEXT("DocumentOEMAutoCut"), kPrivateNamespace, &kYesNoList, offsetof(OEMDEV, AutoCut)},
    {TEXT("DocumentOEMSpecialRibbon"), kPrivateNamespace, &kYesNoList, offsetof(OEMDEV, SpecialTape)},
    {TEXT("DocumentOEMHalfCutMark"), kPrivateNamespace, &kYesNoList, offsetof(OEMDEV, HalfCut)},
};

const TicketFeature kResolutionFeature = {TEXT("PageResolution"), kKeywordsNamespace, &kQualityList,
                                          offsetof(OEMDEV, iQuality)};

const TicketParameter *const kDeclaredParameters[5] = {
    &kTicketParameters[3], &kTicketParameters[4], &kTicketParameters[0], &kTicketParameters[1], &kTicketParameters[2],
};

int VocabularyIndex(const WCHAR *local, size_t units)
{
    struct Name {
        const WCHAR *text;
        size_t units;
    };
    // Built once: every name with its length, so most texts are turned
    // away by their length or first letter.
    static const auto names = [] {
        std::array<Name, kVocabularyNames> all = {};
        size_t at = 0;
        auto add = [&](const WCHAR *text) {
            size_t n = 0;
            while (text[n] != 0)
                ++n;
            all[at++] = {text, n};
        };
        for (const TicketParameter &parameter : kTicketParameters)
            add(parameter.name);
        for (const TicketFeature &feature : kPrivateFeatures)
            add(feature.name);
        add(kResolutionFeature.name);
        return all;
    }();
    if (units == 0 || (local[0] != TEXT('P') && local[0] != TEXT('D')))
        return -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].units != units)
            continue;
        size_t k = 0;
        while (k < units && names[i].text[k] == local[k])
            ++k;
        if (k == units)
            return static_cast<int>(i);
    }
    return -1;
}
