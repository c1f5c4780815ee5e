#include "src/ptprovider/xmldomhelper.h"

#include "src/base/debug.h"

// The debug files live in a folder every user may write, and conversions
// may run with the spooler's rights: the document goes to a fresh file of
// its own, which then replaces the fixed name.
HRESULT SaveDocument(IXMLDOMDocument2 *pDocument, PCWSTR pPath)
{
    if (pPath != nullptr)
        OutputDebugStringW(pPath);
    if (pDocument == nullptr || pPath == nullptr) {
        OutputDebugStringA("save fail and exit");
        return E_INVALIDARG;
    }

    WCHAR folder[MAX_PATH];
    if (wcsnlen(pPath, MAX_PATH) >= MAX_PATH)
        return E_INVALIDARG;
    lstrcpynW(folder, pPath, MAX_PATH);
    WCHAR *slash = wcsrchr(folder, TEXT('\\'));
    if (slash == nullptr)
        return E_INVALIDARG;
    *slash = 0;

    WCHAR fresh[MAX_PATH];
    if (GetTempFileNameW(folder, TEXT("opt"), 0, fresh) == 0)
        return HRESULT_FROM_WIN32(GetLastError());

    VARIANT destination;
    VariantInit(&destination);
    V_VT(&destination) = VT_BSTR;
    V_BSTR(&destination) = SysAllocString(fresh);
    HRESULT hr = V_BSTR(&destination) != nullptr ? pDocument->save(destination) : E_OUTOFMEMORY;
    VariantClear(&destination);
    if (SUCCEEDED(hr) && !MoveFileExW(fresh, pPath, MOVEFILE_REPLACE_EXISTING))
        hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr))
        DeleteFileW(fresh);
    return hr;
}
