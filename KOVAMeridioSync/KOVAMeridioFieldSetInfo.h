// The COM class of the set of Meridio custom properties (fields) as the host sees it
// (ILSKOVAFieldSetInfo): which fields exist, which of them the property pages show, which belong to
// the one view, and a field object for each. It reads them from the server's system configuration
// that the generic filter keeps on the repository's map as "CTInfo".
//
// Sources: KOVAMeridioFieldSetInfo.cpp (the host's methods), KOVAMeridioFieldSetInfoReading.cpp
// (reading the system configuration).
#pragma once

#include "KOVAMeridioSync/FieldObjectSupport.h"
#include "KOVAMeridioSync/KOVAMeridioFieldInfo.h"
#include "KOVASyncBasicsLib/FieldInfo.h"
#include "Platform/AtlCom.h"
#include "Platform/MsXml.h"
#include "VantrelCommon/StdString.h"

#include <functional>
#include <map>
#include <vector>

// The library's own dual interface of the field-set object; it adds no methods.
struct IKOVAMeridioFieldSetInfo : IDispatch {
protected:
    ~IKOVAMeridioFieldSetInfo() = default;
};
KOVA_DECLARE_UUID(IKOVAMeridioFieldSetInfo, "BAC06EE2-31C0-4F12-AA5D-56BA59EC86E0");

struct KOVAMeridioFieldSetInfoClass;
KOVA_DECLARE_UUID(KOVAMeridioFieldSetInfoClass, "258D6F32-63C9-4ADE-A803-A851708824FE");
inline const CLSID CLSID_KOVAMeridioFieldSetInfo = __uuidof(KOVAMeridioFieldSetInfoClass);

// A document category of the server (ids below 4 are the server's own and are left out).
struct FieldSetCategory {
    CStdStr<wchar_t> name;
    int id;
};

class CKOVAMeridioFieldSetInfo : public CComObjectRootEx<CComSingleThreadModel>,
                                 public CComCoClass<CKOVAMeridioFieldSetInfo, &CLSID_KOVAMeridioFieldSetInfo>,
                                 public IDispatchImpl<IKOVAMeridioFieldSetInfo>,
                                 public FieldObjectErrorInfo<IKOVAMeridioFieldSetInfo>,
                                 public ILSKOVAFieldSetInfo {
public:
    DECLARE_REGISTRY_RESOURCEID(108)

    BEGIN_COM_MAP(CKOVAMeridioFieldSetInfo)
    COM_INTERFACE_ENTRY(IKOVAMeridioFieldSetInfo)
    COM_INTERFACE_ENTRY(IDispatch)
    COM_INTERFACE_ENTRY(ISupportErrorInfo)
    COM_INTERFACE_ENTRY(ILSKOVAFieldSetInfo)
    END_COM_MAP()

    // The categories of the last initialisation, in document order.
    const std::vector<FieldSetCategory>& Categories() const { return m_categories; }

    // ILSKOVAFieldSetInfo. The three initialisations read the repository's map alone and give the
    // same result; each starts afresh.
    HRESULT STDMETHODCALLTYPE raw_initializeFromReposWithDefaultContentType(ILSPropertyMap* repository,
                                                                            ILSPropertyMap* folder) override;
    HRESULT STDMETHODCALLTYPE raw_initializeFromReposWithAllFields(ILSPropertyMap* repository,
                                                                   ILSPropertyMap* folder) override;
    HRESULT STDMETHODCALLTYPE raw_initializeFromContentTypeId(ILSPropertyMap* repository, BSTR contentTypeId,
                                                              BSTR contentTypeName, BSTR listId) override;
    HRESULT STDMETHODCALLTYPE raw_get_HasPropertyPages(VARIANT_BOOL* hasPages) override;
    // A new field object for an internal name of the set (a copy: it does not follow the set).
    HRESULT STDMETHODCALLTYPE raw_getFieldInfo(BSTR internalName, ILSKOVAFieldInfo** fieldInfo) override;
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getMessageContentType(ILSPropertyMap* item, BSTR* contentType) override;
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod11() override { return E_NOTIMPL; }
    // Visible and all fields are the same list: the fields the property pages show.
    HRESULT STDMETHODCALLTYPE raw_getVisibleFieldCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE raw_getVisibleFieldName(LONG index, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE raw_getAllFieldCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE raw_getAllFieldName(LONG index, BSTR* name) override;
    // There is one view; every view name and index stands for it.
    HRESULT STDMETHODCALLTYPE raw_getDefaultViewName(BSTR* viewName) override;
    HRESULT STDMETHODCALLTYPE raw_getViewCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE raw_getViewName(LONG index, BSTR* viewName) override;
    HRESULT STDMETHODCALLTYPE raw_getViewFieldCount(BSTR viewName, LONG* count) override;
    HRESULT STDMETHODCALLTYPE raw_getViewFieldName(BSTR viewName, LONG index, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod21(BSTR name, LONG* count) override;
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod22() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod23(BSTR name, LONG* count) override;
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod24() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod25(BSTR name, LONG* count) override;
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod26() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod27() override { return E_NOTIMPL; }

private:
    // The attribute names of one kind of property element (fixed or custom properties).
    struct PropertyElements {
        const wchar_t* xpath;
        const wchar_t* nameAttribute;
        const wchar_t* objectAttribute;
        const wchar_t* typeAttribute;
        const wchar_t* idAttribute;
    };

    // Reads the repository's system configuration afresh; the HRESULT of the boundary on failure.
    HRESULT innerInitializeRepos(ILSPropertyMap* repository);
    void ReadCategories(IXMLDOMDocument2* document);
    // Files every field the elements describe; an element without type or id is thrown as E_INVALIDARG.
    void innerAddFieldInfos(IXMLDOMDocument2* document, const PropertyElements& elements);
    void AddField(const CStdStr<wchar_t>& key, const CStdStr<wchar_t>& displayName,
                  const CStdStr<wchar_t>& type);

    static HRESULT CountOf(const std::vector<CStdStr<wchar_t>>& names, LONG* count);
    // An index at or beyond the count (a negative one included) is logged and refused with E_INVALIDARG.
    static HRESULT NameAt(const std::vector<CStdStr<wchar_t>>& names, LONG index, BSTR* name);

    std::vector<FieldSetCategory> m_categories;
    std::vector<CStdStr<wchar_t>> m_fieldNames;
    // By internal name, looked up by any text.
    std::map<CStdStr<wchar_t>, MeridioFieldAttributes, std::less<>> m_fields;
    bool m_hasPropertyPages = false;
    std::vector<CStdStr<wchar_t>> m_viewFieldNames;
    CStdStr<wchar_t> m_viewName;
};
