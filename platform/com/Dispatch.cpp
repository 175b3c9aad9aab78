#include "platform/com/Dispatch.h"

HRESULT DispGetParam(DISPPARAMS* params, UINT position, VARTYPE vt, VARIANT* result, UINT* argumentError)
{
    if (params == nullptr || result == nullptr)
        return E_INVALIDARG;
    if (params->cNamedArgs > params->cArgs || (params->cArgs != 0 && params->rgvarg == nullptr) ||
        (params->cNamedArgs != 0 && params->rgdispidNamedArgs == nullptr))
        return E_INVALIDARG;
    UINT index = params->cArgs;
    for (UINT i = 0; i < params->cNamedArgs; ++i) {
        if (params->rgdispidNamedArgs[i] == static_cast<DISPID>(position)) {
            index = i;
            break;
        }
    }
    if (index == params->cArgs) {
        // Positional arguments follow the named ones in rgvarg, last argument first.
        UINT positional = params->cArgs - params->cNamedArgs;
        if (position >= positional)
            return DISP_E_PARAMNOTFOUND;
        index = params->cArgs - 1 - position;
    }
    HRESULT hr = VariantChangeType(result, &params->rgvarg[index], 0, vt);
    if (FAILED(hr) && argumentError != nullptr)
        *argumentError = index;
    return hr;
}

void ClearExcepInfo(EXCEPINFO* exception)
{
    if (exception == nullptr)
        return;
    SysFreeString(exception->bstrSource);
    SysFreeString(exception->bstrDescription);
    SysFreeString(exception->bstrHelpFile);
    *exception = EXCEPINFO{};
}
