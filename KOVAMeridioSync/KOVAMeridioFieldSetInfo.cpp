// The field set's answers to the host.
#include "KOVAMeridioSync/KOVAMeridioFieldSetInfo.h"

#include "VantrelCommon/LSDiag.h"

#include <string_view>

HRESULT CKOVAMeridioFieldSetInfo::raw_initializeFromReposWithDefaultContentType(ILSPropertyMap* repository,
                                                                                ILSPropertyMap* /*folder*/) {
    return innerInitializeRepos(repository);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_initializeFromReposWithAllFields(ILSPropertyMap* repository,
                                                                       ILSPropertyMap* /*folder*/) {
    return innerInitializeRepos(repository);
}

// A Meridio repository has no content types: the texts do not change the result.
HRESULT CKOVAMeridioFieldSetInfo::raw_initializeFromContentTypeId(ILSPropertyMap* repository,
                                                                  BSTR /*contentTypeId*/,
                                                                  BSTR /*contentTypeName*/, BSTR /*listId*/) {
    return innerInitializeRepos(repository);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_get_HasPropertyPages(VARIANT_BOOL* hasPages) {
    return AnswerFlag(m_hasPropertyPages, hasPages);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getFieldInfo(BSTR internalName, ILSKOVAFieldInfo** fieldInfo) {
    return AtBoundary("CKOVAMeridioFieldSetInfo::raw_getFieldInfo", __FILE__, __LINE__, [&] {
        if (fieldInfo == nullptr) {
            return E_POINTER;
        }
        *fieldInfo = nullptr;
        const auto found = m_fields.find(std::wstring_view(internalName == nullptr ? L"" : internalName));
        if (found == m_fields.end()) {
            LSDIAG_DIAG << "Failed to get field info for:" << CStdStr<wchar_t>(internalName);
            return E_INVALIDARG;
        }
        CKOVAMeridioFieldInfo* field = nullptr;
        ILSKOVAFieldInfoPtr held = NewComObject<CKOVAMeridioFieldInfo, ILSKOVAFieldInfo>(field);
        field->SetAttributes(found->second);
        *fieldInfo = held.Detach();
        return S_OK;
    });
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getMessageContentType(ILSPropertyMap* /*item*/, BSTR* contentType) {
    return AtBoundary("CKOVAMeridioFieldSetInfo::raw_getMessageContentType", __FILE__, __LINE__,
                      [&] { return AnswerText(CStdStr<wchar_t>(), contentType); });
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getVisibleFieldCount(LONG* count) {
    return CountOf(m_fieldNames, count);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getVisibleFieldName(LONG index, BSTR* name) {
    return AtBoundary("CKOVAMeridioFieldSetInfo::raw_getVisibleFieldName", __FILE__, __LINE__,
                      [&] { return NameAt(m_fieldNames, index, name); });
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getAllFieldCount(LONG* count) {
    return CountOf(m_fieldNames, count);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getAllFieldName(LONG index, BSTR* name) {
    return AtBoundary("CKOVAMeridioFieldSetInfo::raw_getAllFieldName", __FILE__, __LINE__,
                      [&] { return NameAt(m_fieldNames, index, name); });
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getDefaultViewName(BSTR* viewName) {
    return AtBoundary("CKOVAMeridioFieldSetInfo::raw_getDefaultViewName", __FILE__, __LINE__,
                      [&] { return AnswerText(m_viewName, viewName); });
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getViewCount(LONG* count) {
    return AnswerNumber(1, count);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getViewName(LONG /*index*/, BSTR* viewName) {
    return AtBoundary("CKOVAMeridioFieldSetInfo::raw_getViewName", __FILE__, __LINE__,
                      [&] { return AnswerText(m_viewName, viewName); });
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getViewFieldCount(BSTR /*viewName*/, LONG* count) {
    return CountOf(m_viewFieldNames, count);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_getViewFieldName(BSTR /*viewName*/, LONG index, BSTR* name) {
    return AtBoundary("CKOVAMeridioFieldSetInfo::raw_getViewFieldName", __FILE__, __LINE__,
                      [&] { return NameAt(m_viewFieldNames, index, name); });
}

HRESULT CKOVAMeridioFieldSetInfo::raw_FieldSetInfoMethod21(BSTR /*name*/, LONG* count) {
    return AnswerNumber(0, count);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_FieldSetInfoMethod23(BSTR /*name*/, LONG* count) {
    return AnswerNumber(0, count);
}

HRESULT CKOVAMeridioFieldSetInfo::raw_FieldSetInfoMethod25(BSTR /*name*/, LONG* count) {
    return AnswerNumber(0, count);
}

HRESULT CKOVAMeridioFieldSetInfo::CountOf(const std::vector<CStdStr<wchar_t>>& names, LONG* count) {
    return AnswerNumber(static_cast<LONG>(names.size()), count);
}

HRESULT CKOVAMeridioFieldSetInfo::NameAt(const std::vector<CStdStr<wchar_t>>& names, LONG index, BSTR* name) {
    if (static_cast<ULONG>(index) >= names.size()) {
        LSDIAG_ERROR << "invalid field index:" << index;
        return E_INVALIDARG;
    }
    return AnswerText(names[static_cast<ULONG>(index)], name);
}
