#include "automation/win32/TypeInfoInvoke.h"

#include <oleauto.h>

#include <vector>

namespace corvane::automation {

namespace {

struct Member {
    FUNCDESC *description = nullptr;
    ITypeInfo *info = nullptr;
    ~Member() {
        if (description) info->ReleaseFuncDesc(description);
    }
};

// The function for a dispatch identifier and call kind; a get also answers a
// method call and the other way round.
bool FindMember(ITypeInfo *info, DISPID member, WORD flags, Member &found) {
    TYPEATTR *attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return false;
    const WORD count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    for (int pass = 0; pass < 2 && !found.description; ++pass) {
        for (WORD i = 0; i < count; ++i) {
            FUNCDESC *description = nullptr;
            if (FAILED(info->GetFuncDesc(i, &description))) continue;
            const INVOKEKIND kind = description->invkind;
            const bool wanted = description->memid == member &&
                                (put ? (kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0
                                     : pass == 0 ? (kind & flags) != 0
                                                 : (kind & (INVOKE_FUNC | INVOKE_PROPERTYGET)) != 0);
            if (wanted) {
                found.description = description;
                found.info = info;
                return true;
            }
            info->ReleaseFuncDesc(description);
        }
    }
    return false;
}

// The automation type a parameter holds: enumerations are 32-bit integers.
VARTYPE ValueType(ITypeInfo *info, const TYPEDESC &type) {
    if (type.vt != VT_USERDEFINED) return type.vt;
    ITypeInfo *referenced = nullptr;
    VARTYPE result = VT_I4;
    if (SUCCEEDED(info->GetRefTypeInfo(type.hreftype, &referenced))) {
        TYPEATTR *attributes = nullptr;
        if (SUCCEEDED(referenced->GetTypeAttr(&attributes))) {
            if (attributes->typekind == TKIND_ALIAS) result = ValueType(referenced, attributes->tdescAlias);
            referenced->ReleaseTypeAttr(attributes);
        }
        referenced->Release();
    }
    return result;
}

bool IsMissing(const VARIANT &argument) {
    const VARIANT *plain = &argument;
    while (V_VT(plain) == (VT_BYREF | VT_VARIANT)) plain = V_VARIANTREF(plain);
    return V_VT(plain) == VT_ERROR && V_ERROR(plain) == DISP_E_PARAMNOTFOUND;
}

// One argument as the member receives it, and how to give it back.
struct Argument {
    VARIANT value;      // coerced to the parameter's type
    VARIANTARG passed;  // the value, or a reference to it
    VARIANT *caller = nullptr;  // the caller's by-reference argument, written back
    Argument() {
        VariantInit(&value);
        VariantInit(&passed);
    }
    ~Argument() { VariantClear(&value); }
};

HRESULT Coerce(const VARIANT *source, VARTYPE type, bool optional, VARIANT &value) {
    if (source == nullptr || IsMissing(*source)) {
        if (!optional) return DISP_E_PARAMNOTFOUND;
        if (type == VT_VARIANT) {
            V_VT(&value) = VT_ERROR;
            V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
            return S_OK;
        }
        VARIANT empty;
        VariantInit(&empty);
        return VariantChangeType(&value, &empty, 0, type);
    }
    if (type == VT_VARIANT) {
        const VARIANT *plain = source;
        while (V_VT(plain) == (VT_BYREF | VT_VARIANT)) plain = V_VARIANTREF(plain);
        return VariantCopyInd(&value, const_cast<VARIANT *>(plain));
    }
    const HRESULT status = VariantChangeType(&value, const_cast<VARIANT *>(source), 0, type);
    return status == DISP_E_OVERFLOW ? status : FAILED(status) ? DISP_E_TYPEMISMATCH : S_OK;
}

void Refer(Argument &argument, VARTYPE type, bool byReference) {
    if (!byReference) {
        argument.passed = argument.value;
        return;
    }
    V_VT(&argument.passed) = VT_BYREF | type;
    if (type == VT_VARIANT)
        V_VARIANTREF(&argument.passed) = &argument.value;
    else
        V_BYREF(&argument.passed) = &V_NONE(&argument.value);
}

// Writes the member's value back into the caller's by-reference argument,
// in the caller's own type.
void WriteBack(Argument &argument) {
    VARIANT *target = argument.caller;
    if (target == nullptr) return;
    if (V_VT(target) == (VT_BYREF | VT_VARIANT)) {
        VARIANT *variable = V_VARIANTREF(target);
        VARIANT copy;
        VariantInit(&copy);
        if (SUCCEEDED(VariantCopy(&copy, &argument.value))) {
            VariantClear(variable);
            *variable = copy;
        }
        return;
    }
    const VARTYPE type = V_VT(target) & ~VT_BYREF;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, &argument.value, 0, type))) return;
    switch (type) {
    case VT_BSTR:
        SysFreeString(*V_BSTRREF(target));
        *V_BSTRREF(target) = V_BSTR(&converted);
        return;  // the string now belongs to the caller
    case VT_I2: *V_I2REF(target) = V_I2(&converted); break;
    case VT_I4: *V_I4REF(target) = V_I4(&converted); break;
    case VT_R4: *V_R4REF(target) = V_R4(&converted); break;
    case VT_R8: *V_R8REF(target) = V_R8(&converted); break;
    case VT_BOOL: *V_BOOLREF(target) = V_BOOL(&converted); break;
    default: break;
    }
    VariantClear(&converted);
}

void FillException(HRESULT status, EXCEPINFO *exception) {
    if (exception == nullptr || exception->bstrDescription != nullptr) return;
    exception->scode = status;
    IErrorInfo *error = nullptr;
    if (GetErrorInfo(0, &error) != S_OK) return;
    error->GetSource(&exception->bstrSource);
    error->GetDescription(&exception->bstrDescription);
    error->Release();
}

}  // namespace

HRESULT InvokeThroughTypeInfo(ITypeInfo *info, IUnknown *instance, DISPID member, WORD flags, DISPPARAMS *params,
                              VARIANT *result, EXCEPINFO *exception, UINT *argumentError) {
    if (info == nullptr || params == nullptr) return E_INVALIDARG;
    Member found;
    if (!FindMember(info, member, flags, found)) return DISP_E_MEMBERNOTFOUND;
    const FUNCDESC &function = *found.description;
    const bool put = function.invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);

    // The value of a put is the one named argument; no other names are known.
    UINT named = params->cNamedArgs;
    VARIANT *putValue = nullptr;
    if (put) {
        if (named != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTOPTIONAL;
        putValue = &params->rgvarg[0];
    } else if (named != 0) {
        return DISP_E_NONAMEDARGS;
    }
    const UINT positional = params->cArgs - named;

    int declared = function.cParams;
    if (declared > 0 && (function.lprgelemdescParam[declared - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
        --declared;
    const int given = static_cast<int>(positional) + (put ? 1 : 0);
    if (given > declared) return DISP_E_BADPARAMCOUNT;

    std::vector<Argument> arguments(declared);
    for (int i = 0; i < declared; ++i) {
        const ELEMDESC &element = function.lprgelemdescParam[i];
        const bool byReference = element.tdesc.vt == VT_PTR;
        const VARTYPE type = ValueType(info, byReference ? *element.tdesc.lptdesc : element.tdesc);
        const bool optional = element.paramdesc.wParamFlags & PARAMFLAG_FOPT;
        VARIANT *source = nullptr;
        UINT sourceIndex = 0;
        if (put && i == declared - 1) {
            source = putValue;
        } else if (static_cast<UINT>(i) < positional) {
            sourceIndex = params->cArgs - 1 - i;
            source = &params->rgvarg[sourceIndex];
        }
        const HRESULT status = Coerce(source, type, optional, arguments[i].value);
        if (FAILED(status)) {
            if (argumentError) *argumentError = sourceIndex;
            return status == DISP_E_PARAMNOTFOUND ? DISP_E_BADPARAMCOUNT : status;
        }
        Refer(arguments[i], type, byReference);
        if (byReference && source != nullptr && (V_VT(source) & VT_BYREF)) arguments[i].caller = source;
    }

    // The coerced arguments, last first, as IDispatch lays them out: a put's
    // value, the last parameter, lands first, where its name points.
    std::vector<VARIANTARG> laidOut(declared);
    for (int i = 0; i < declared; ++i) laidOut[declared - 1 - i] = arguments[i].passed;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS coerced{laidOut.data(), put ? &putId : nullptr, static_cast<UINT>(declared), put ? 1u : 0u};
    VARIANT ignored;
    VariantInit(&ignored);
    const HRESULT status = info->Invoke(instance, member, static_cast<WORD>(function.invkind), &coerced,
                                        result ? result : &ignored, exception, argumentError);
    VariantClear(&ignored);
    if (status == DISP_E_EXCEPTION) FillException(status, exception);
    if (SUCCEEDED(status))
        for (auto &argument : arguments) WriteBack(argument);
    return status;
}

}  // namespace corvane::automation
