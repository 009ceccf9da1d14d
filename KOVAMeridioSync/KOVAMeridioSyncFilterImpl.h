// The sync filter for a Meridio server: the generic file filter's repository operations over the
// server's SOAP services, and the host interfaces only this filter adds.
//
// Sources by concern: KOVAMeridioSyncFilterImpl.cpp (the object and its fixed operations),
// KOVAMeridioSession.cpp (login and the SOAP senders), KOVAMeridioListing.cpp (container and
// single-document listing), KOVAMeridioDownload.cpp (download and remote hashes),
// KOVAMeridioAccess.cpp (read-only checks), KOVAMeridioRepositorySetup.cpp (folder set-up and the
// system configuration), KOVAMeridioFolders.cpp (folder creation and deletion),
// KOVAMeridioInheritedAccess.cpp (access rows of new objects), KOVAMeridioDeletion.cpp and
// KOVAMeridioParts.cpp (document deletion, records-management parts), KOVAMeridioQueries.cpp
// (repository queries), KOVAMeridioUpload.cpp and KOVAMeridioUploadProperties.cpp (uploads and the
// custom properties of uploaded mails), KOVAMeridioDirectCopyMove.cpp (copies and moves between
// folders on the server).
#pragma once

#include "KOVACommon/LSBaseFileSyncFilter.h"
#include "KOVACommon/LSHttpRequest.h"
#include "KOVAMeridioSync/MeridioContents.h"
#include "KOVAMeridioSync/MeridioCustomPropRows.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioSoap.h"
#include "KOVASyncBasicsLib/RepositoryExtensions.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

class KOVAMeridioSyncFilterImpl : public LSBaseFileSyncFilter,
                                  public ILSQueryRepository,
                                  public ILSOnlineCheck,
                                  public ILSDirectCopyMove,
                                  public ILSCreateSendLink,
                                  public ILSEditDocPropsSyncFilter {
public:
    KOVAMeridioSyncFilterImpl();
    ~KOVAMeridioSyncFilterImpl() override;

    // ILSQueryRepository
    HRESULT STDMETHODCALLTYPE raw_QueryRepositoryMethod1(VARIANT_BOOL* available) override;
    HRESULT STDMETHODCALLTYPE raw_GetScopeParameterPrompt(BSTR* prompt) override;
    HRESULT STDMETHODCALLTYPE raw_ValidateScopeParameter(BSTR scope, BSTR* validatedScope) override;
    HRESULT STDMETHODCALLTYPE raw_RunQuery(LONG maximumHits, BSTR scope, BSTR searchText, BSTR sortField,
                                           LONG options, BSTR* results) override;
    HRESULT STDMETHODCALLTYPE raw_FormatScopeParameter(BSTR scope, BSTR* formattedScope) override;
    HRESULT STDMETHODCALLTYPE raw_QueryRepositoryMethod6() override;

    // ILSOnlineCheck
    HRESULT STDMETHODCALLTYPE raw_HasChangesOnline(ILSPropertyMap* repository, ILSPropertyMap* item,
                                                   LONG* result, ILSShutdownInformer* informer) override;
    HRESULT STDMETHODCALLTYPE raw_OnlineCheckMethod2() override;

    // ILSDirectCopyMove
    HRESULT STDMETHODCALLTYPE raw_GetSourceForCopyOrMoveMessageIfAllowed(
        VARIANT_BOOL isMove, ILSPropertyMap* sourceFolder, ILSPropertyMap* sourceRepository,
        ILSPropertyMap* destinationRepository, ILSPropertyMap* destination, ILSPropertyMap* item,
        BSTR hostText, BSTR* sourceAction) override;
    HRESULT STDMETHODCALLTYPE raw_DoMessageCopy(ILSPropertyMap* item, ILSPropertyMap* destination,
                                                BSTR sourceAction, ILSShutdownInformer* informer) override;
    HRESULT STDMETHODCALLTYPE raw_DoMessageMove(ILSPropertyMap* item, ILSPropertyMap* destination,
                                                BSTR sourceAction, ILSShutdownInformer* informer) override;
    HRESULT STDMETHODCALLTYPE raw_GetDirectCopyMoveString(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE raw_DirectCopyMoveMethod5() override;
    HRESULT STDMETHODCALLTYPE raw_DirectCopyMoveMethod6() override;

    // ILSCreateSendLink
    HRESULT STDMETHODCALLTYPE raw_CreateSendLinkFiletext(ILSPropertyMap* repository, ILSPropertyMap* folder,
                                                         ILSPropertyMap* item, BSTR* linkText,
                                                         BSTR* fileName) override;

    // ILSEditDocPropsSyncFilter
    HRESULT STDMETHODCALLTYPE raw_GetDocumentId(ILSPropertyMap* item, BSTR* documentId) override;
    HRESULT STDMETHODCALLTYPE raw_GetVersionId(ILSPropertyMap* item, BSTR* versionId) override;

    // Repository operations of the generic filter.
    HRESULT raw_SetMainFolderProperties(ILSPropertyMap* mainFolderMap) override;
    CStdStr<wchar_t> GetRepositoryType() override;
    CStdStr<wchar_t> GetFilterName() override;
    HRESULT PrepareStartPoint(CStdStr<wchar_t>& startPoint, BSTR* errorText) override;
    HRESULT DoesFileExistRemote(const CStdStr<wchar_t>& name, bool& exists, bool nameIsFileName) override;
    bool GetRemoteLastModified(const CStdStr<wchar_t>& fileName, SYSTEMTIME* lastModified) override;
    HRESULT CopyFileRemote(const CStdStr<wchar_t>& localPath, const CStdStr<wchar_t>& encodedFileName,
                           ILSPropertyMap* item, bool existsOnServer, CStdStr<wchar_t>& remoteName) override;
    HRESULT RenameFileRemote(const CStdStr<wchar_t>& remoteName, const CStdStr<wchar_t>& newName) override;
    HRESULT RenameFolderRemote(const CStdStr<wchar_t>& folderLocation, const CStdStr<wchar_t>& newName,
                               ILSPropertyMap* folderProperties) override;
    HRESULT CopyFileToLocal(const CStdStr<wchar_t>& remoteName, const CStdStr<wchar_t>& localPath,
                            ILSPropertyMap* item, const CStdStr<wchar_t>& extraText) override;
    HRESULT GetContents(ILSPropertyMap* folderMap, LONG listingMode) override;
    HRESULT GetHashForRemoteFile(const CStdStr<wchar_t>& remoteName, CStdStr<wchar_t>& hash) override;
    HRESULT isItemReadOnly(const CStdStr<wchar_t>& location, bool* readOnly,
                           CStdStr<wchar_t>& permission) override;
    HRESULT IsItemOnServer(const CStdStr<wchar_t>& key, bool isFolder) override;
    HRESULT CreateDirectoryRemote(ILSPropertyMap* hostArgument, const CStdStr<wchar_t>& parentLocation,
                                  const CStdStr<wchar_t>& folderName, ILSPropertyMap* newFolder,
                                  CStdStr<wchar_t>& newLocation) override;
    HRESULT DeleteFileRemote(const CStdStr<wchar_t>& remoteId, CStdStr<wchar_t>& message) override;
    HRESULT DeleteFolderRemote(ILSPropertyMap* item, CStdStr<wchar_t>& message) override;
    HRESULT GetStoredRemoteFileName(const CStdStr<wchar_t>& name, CStdStr<wchar_t>& remoteId) override;
    CStdStr<wchar_t> GetItemName(USHORT index) override;
    ULONG GetItemVersion(USHORT index) override;
    CStdStr<wchar_t> GetSubFolderUrl(USHORT index) override;
    HRESULT SetSubFolderItemProperties(USHORT index, ILSPropertyMap* subFolder) override;
    CStdStr<wchar_t> GetUploadInfoString() override;
    HRESULT OnEndSync(LONG syncKind, VARIANT_BOOL completed, LONG result) override;
    HRESULT OnStartSync() override;
    HRESULT ParseFileFilterLocation(CStdStr<wchar_t>& startPoint) override;
    HRESULT GetFolderUrl(const CStdStr<wchar_t>& folderLocation, CStdStr<wchar_t>& url, int index) override;
    HRESULT GetFileUrl(const CStdStr<wchar_t>& remoteName, CStdStr<wchar_t>& url, LONG index) override;
    bool StoresServerFileId() override;
    HRESULT CreateFieldSetInfo(ILSKOVAFieldSetInfo** fieldSet) override;
    void InitializeRepository() override;
    bool SetupFolderToSync(ILSPropertyMap* folderMap) override;
    bool CanAddFolders() override;
    CStdStr<wchar_t> EncodeFileName(const CStdStr<wchar_t>& name) override;
    CStdStr<wchar_t> GetKeyPropertyName() override;

    // Operations this filter adds after the generic ones: checkout and locks. The COM class serves
    // ILSLockingSyncFilter with them.
    virtual HRESULT raw_Checkout(ILSPropertyMap* item);
    virtual HRESULT raw_CancelCheckout(ILSPropertyMap* item);
    virtual HRESULT LockingMethod2(ILSPropertyMap* item);
    virtual HRESULT GetCheckedOutFlag(ILSPropertyMap* item, BYTE* checkedOut);
    // VARIANT_TRUE (-1) when the item's document is locked, VARIANT_FALSE (0) when not.
    virtual HRESULT get_IsCheckedOut(ILSPropertyMap* item, VARIANT_BOOL* checkedOut);

    // Locks (KOVAMeridioLocks.cpp). Lock and unlock one document by id, throwing on failure; whether a
    // document (by its server file id) is locked as the listing and this object's locks say; the user
    // who holds a document's lock (empty when the server names none).
    void CheckoutInternal(LONG documentId);
    void CancelCheckoutInternal(LONG documentId);
    bool IsCheckoutInternal(const CStdStr<wchar_t>& serverFileId);
    CStdStr<wchar_t> GetCheckoutName(LONG documentId);
    // The stored checkout user differs from the listed one.
    bool IsItemCheckedOut(USHORT index, ILSPropertyMap* item) override;
    // The extra values of a container listing's document, read from its row when the item's
    // properties are written.
    bool AddListedItemProperties(USHORT index, LSExtraProperties& extra) override;
    // The single-document location and the listing's side tables of the former start point.
    void ForgetStartPoint() override;

    // Rename of a document's title (KOVAMeridioRename.cpp).
    HRESULT RenameFileRemoteIntern(const CStdStr<wchar_t>& url, const CStdStr<wchar_t>& newName,
                                   const CStdStr<wchar_t>& dmwsUrl, const CStdStr<wchar_t>& token,
                                   ILSShutdownInformer* informer);

    // Session and senders. The senders return the request's HRESULT and an error text; they throw
    // only what a session renewal's login throws, _com_error from the COM wrappers, and E_ABORT when
    // the host shuts down during the request.
    void Login(bool force);
    void LoginToMeridio(const CStdStr<wchar_t>& dmwsUrl, ILSShutdownInformer* informer);
    HRESULT ExecuteDMWSRequest(const _variant_t& body, IXMLDOMDocument2Ptr& reply,
                               std::unique_ptr<ILSHttpRequest>& request, const wchar_t* action,
                               const CStdStr<wchar_t>& contentType, const CStdStr<wchar_t>& url,
                               const CStdStr<wchar_t>& token, ILSShutdownInformer* informer,
                               CStdStr<wchar_t>& errorText, bool reloginAllowed);
    HRESULT ExecuteRMWSRequest(const _variant_t& body, IXMLDOMDocument2Ptr& reply,
                               std::unique_ptr<ILSHttpRequest>& request, const wchar_t* action,
                               const CStdStr<wchar_t>& contentType, CStdStr<wchar_t>& errorText);
    HRESULT ExecuteSCWSRequest(const _variant_t& body, IXMLDOMDocument2Ptr& reply, const wchar_t* action,
                               CStdStr<wchar_t>& errorText, ILSShutdownInformer* informer);

    // A text body sent with the object's service URL, the session token and informer, the session
    // renewed once on expiry; the request object is not kept.
    HRESULT SendDMWSRequest(const CStdStr<wchar_t>& body, const wchar_t* action, IXMLDOMDocument2Ptr& reply,
                            CStdStr<wchar_t>& errorText);
    HRESULT SendRMWSRequest(const CStdStr<wchar_t>& body, const wchar_t* action, IXMLDOMDocument2Ptr& reply,
                            CStdStr<wchar_t>& errorText);
    // A DIME upload to DMWS: the message carries the envelope with the token, so it is built for the
    // token of each attempt, a resend after a session renewal for the new one.
    using MessageForToken = std::function<_variant_t(const CStdStr<wchar_t>& token)>;
    HRESULT SendDMWSUpload(const MessageForToken& message, const wchar_t* action, IXMLDOMDocument2Ptr& reply,
                           CStdStr<wchar_t>& errorText);

    // The process-wide session token, shared by every filter object.
    static CStdStr<wchar_t>& SessionToken();

    // Listing.
    HRESULT GetSingleDocContents(ILSPropertyMap* folderMap);
    // Loads the XML text of a listing result (of the action) as the contents document the rows are
    // read from; text that is not XML fails the request.
    void LoadContentsText(const _bstr_t& xml, const wchar_t* action);
    HRESULT GetFolderSubFolders();
    HRESULT GetFolderDocuments();
    HRESULT GetSingleDocument();
    // The attribute of the object's row in the contents document; throws E_INVALIDARG when the kind
    // has no rows, no listing is loaded or the row is missing.
    void GetAttribValueForObjectFromContentsXml(LONG objectType, LONG objectId, CStdStr<wchar_t>& value,
                                                const wchar_t* attribute);

    // The attribute names of a document row in one kind of listing reply.
    struct DocumentColumns {
        const wchar_t* id;
        const wchar_t* version;
        const wchar_t* title;
        const wchar_t* fileName;
        const wchar_t* record;
        const wchar_t* lastModified;
        const wchar_t* typeWord;
    };

    // Folder creation (KOVAMeridioFolders.cpp) and the access rows and custom properties that a new
    // object inherits from its folder (KOVAMeridioInheritedAccess.cpp).
    HRESULT CreateDirectoryRemoteStatic(const CStdStr<wchar_t>& dmwsUrl, const CStdStr<wchar_t>& token,
                                        const CStdStr<wchar_t>& name, LONG parentId,
                                        const CStdStr<wchar_t>& serverName, ILSShutdownInformer* informer,
                                        CStdStr<wchar_t>& newUrl);
    // The id of the newest container of the title that the listing of the parent shows (0: none).
    HRESULT FindListedContainer(LONG parentId, const CStdStr<wchar_t>& title, LONG& containerId);
    HRESULT GetInheritedACLForObject(LONG folderId, const CStdStr<wchar_t>& dmwsUrl,
                                     const CStdStr<wchar_t>& token, ILSShutdownInformer* informer,
                                     LONG objectType, IXMLDOMNodeListPtr& customProperties,
                                     CStdStr<wchar_t>& accessRows, CStdStr<wchar_t>& errorText);

    // Document deletion and container membership (KOVAMeridioDeletion.cpp, KOVAMeridioParts.cpp).
    HRESULT DeleteDocumentFromMeridio(LONG containerId, LONG documentId, bool deleteReference,
                                      bool markForDelete, LONG partId);
    HRESULT RemoveDocumentFromPart(LONG folderId, LONG partId, LONG documentId);
    // Enters the document (or record) in the part; returns the request's HRESULT and error text.
    HRESULT AddToPart(const CStdStr<wchar_t>& partId, const CStdStr<wchar_t>& objectId, bool asRecord,
                      CStdStr<wchar_t>& errorText);
    HRESULT RemoveDocumentFromContainer(LONG containerId, LONG documentId, bool markForDelete,
                                        bool deleteReference);
    // The part of the folder that holds the object (-1 when none) and how many parts hold it.
    HRESULT GetDocPartInfo(LONG documentId, LONG folderId, LONG& partId, LONG& partCount);
    HRESULT GetRecordPartInfo(LONG recordId, LONG folderId, LONG& partId, LONG& partCount);

    // Upload (KOVAMeridioUpload.cpp): links a new document to the synced folder (a container reference,
    // or an entry in the current part of a records-management folder, as a record when asked: the
    // server file id then names the record); throws on failure, after marking the item when given.
    void AddDocToParent(const CStdStr<wchar_t>& documentId, CStdStr<wchar_t>& serverFileId,
                        ILSPropertyMap* item, bool declareAsRecord, const CStdStr<wchar_t>& currentPartId);
    HRESULT AddDocToContainer(LONG containerId, LONG documentId, CStdStr<wchar_t>& errorText);
    // The part of a records-management folder that new entries go to; throws E_FAIL when the reply
    // names none.
    HRESULT GetCurrentPart(LONG folderId, CStdStr<wchar_t>& errorText, CStdStr<wchar_t>& currentPartId);

    // Direct copy and move (KOVAMeridioDirectCopyMove.cpp): links the document that the source-action
    // text names to the destination folder and, for a move, takes it out of the source folder that the
    // text names; a refused link or removal marks the item as a sync issue.
    HRESULT copyMoveMessageOnServer(ILSPropertyMap* item, ILSPropertyMap* destination,
                                    const CStdStr<wchar_t>& sourceAction, bool move);
    // Takes the document's reference (or part entry) out of the container or records-management folder.
    HRESULT RemoveDocumentFromFolder(LONG documentId, LONG folderId);

    // Custom properties of an uploaded mail (KOVAMeridioUploadProperties.cpp): appends the
    // DOCUMENT_CUSTOMPROPS rows of the mail's header data to `rows`.
    void SetMailCustomProperties(CStdStr<wchar_t>& rows, LONG categoryId, ILSPropertyMap* item);
    // The row of a named property of the mail: property set 0 (common) or 1 (task), the property's
    // numeric id, value kind 1 (text), 2 (number) or 3 (date). The resolver gives the property's tag,
    // under which (with the type part of the kind) the item's property map holds the value. Another
    // set or kind throws E_FAIL; a failed resolution (also a null resolver) is logged and gives no
    // row.
    static void SetPropInCommonPropertySet(ILSMessageItem* resolver, MeridioCustomPropRows& rows,
                                           LONG valueKind, LONG propertySet, LONG namedId,
                                           const CStdStr<wchar_t>& displayName, ILSPropertyMap* item);

    // Locations on the server the object is bound to.
    CStdStr<wchar_t> BuildDocumentUrl(bool isRecord, const CStdStr<wchar_t>& documentId) const;
    CStdStr<wchar_t> BuildContainerUrl(const CStdStr<wchar_t>& objectTypeText, LONG objectId) const;

private:
    // Sends the request for the document's latest version (its content in a DIME reply, or its path on a
    // file share); a failure's text is logged and marked on the item when one is given.
    HRESULT RequestLatestVersion(const CStdStr<wchar_t>& remoteName, ILSPropertyMap* item, bool byReference,
                                 IXMLDOMDocument2Ptr& reply, std::unique_ptr<ILSHttpRequest>& request);
    // What a document's class properties are made of.
    struct DocumentClass {
        CStdStr<wchar_t> idText;
        CStdStr<wchar_t> extension;
        CStdStr<wchar_t> typeWord;
    };
    // A document appended to the listing.
    struct ListedDocument : DocumentClass {
        USHORT index = 0;
        DATE lastModified = 0.0;
    };

    HRESULT ExecuteServiceRequest(const MeridioService& service, const _variant_t& body,
                                  IXMLDOMDocument2Ptr& reply, std::unique_ptr<ILSHttpRequest>& request,
                                  const wchar_t* action, const CStdStr<wchar_t>& contentType,
                                  const CStdStr<wchar_t>& url, const CStdStr<wchar_t>& token,
                                  ILSShutdownInformer* informer, CStdStr<wchar_t>& errorText,
                                  bool reloginAllowed, const CStdStr<wchar_t>* loggedBody,
                                  const MessageForToken* resentMessage = nullptr);
    // Tells the host, through the informer, that the connection to the server failed.
    void ReportConnectionFailure(ILSShutdownInformer* informer);
    // With request logging on, `loggedBody` (when given) is logged in place of the body.
    // `connectionFailed` tells whether a failure was the transport's (not a diffgram error).
    HRESULT ExecuteWebRequest(const _variant_t& body, IXMLDOMDocument2Ptr& reply,
                              std::unique_ptr<ILSHttpRequest>& request, const CStdStr<wchar_t>& url,
                              const CStdStr<wchar_t>& soapAction, const wchar_t* headerTemplate,
                              const CStdStr<wchar_t>& contentType, const CStdStr<wchar_t>& token,
                              ILSShutdownInformer* informer, CStdStr<wchar_t>& errorText,
                              const CStdStr<wchar_t>* loggedBody, bool& connectionFailed);

    // Sends an SCWS listing request and loads the XML text of its result element as the contents
    // document.
    HRESULT LoadContentsDocument(const CStdStr<wchar_t>& body, const wchar_t* action,
                                 const wchar_t* resultQuery, const char* method,
                                 const char* missingResultText);
    // Appends the document of a row, with the date its date column holds, to the listing tables.
    ListedDocument AppendListedDocument(IXMLDOMNode* row, const DocumentColumns& columns, DATE lastModified);
    static DocumentClass ReadDocumentClass(IXMLDOMNode* row, const DocumentColumns& columns);
    // The values of a container listing's document row beside its Meridio- attributes and its class:
    // sender, receipt date (none when the row has none), checkout user and attachment flag. A missing
    // attribute or a date that does not convert raises, so that the listing reads each row this way once to
    // check it.
    struct ContainerRowValues {
        CStdStr<wchar_t> sender;
        std::optional<CStdStr<wchar_t>> receivedDate;
        CStdStr<wchar_t> checkoutUser;
        CStdStr<wchar_t> hasAttachments;
    };
    static ContainerRowValues ReadContainerRow(IXMLDOMNode* row);
    // Those values and the class as extra properties.
    void AddContainerRowProperties(IXMLDOMNode* row, LSExtraProperties& extra);
    // The "ows-CheckoutUser" value of a container listing's document row: empty when not locked.
    static CStdStr<wchar_t> ListedCheckoutUser(IXMLDOMNode* row);
    // The preview's properties (T4 rows) of a single document as its extra properties; returns the
    // sender the preview names.
    CStdStr<wchar_t> AddPreviewProperties(USHORT index);
    // Every attribute of the row as an extra property under its Meridio- name.
    void AddRowAttributeProperties(LSExtraProperties& extra, IXMLDOMNode* row, const char* method);
    // "extension", the form region class and "DocIdProperty".
    static void AddDocumentClassProperties(const DocumentClass& document, LSExtraProperties& extra);
    // Sends a part-list request and reads the parts of its reply.
    HRESULT GetPartInfo(const CStdStr<wchar_t>& body, const wchar_t* action, const char* method,
                        LONG folderId, LONG& partId, LONG& partCount);
    // How many of the document's container references the XPath query selects in the reply that lists
    // them; a failed request gives its HRESULT.
    HRESULT CountDocumentReferences(LONG documentId, const CStdStr<wchar_t>& query, LONG& references);
    // The kind and id of the synced folder, from its location.
    void GetSyncedFolderDetails(LONG& objectType, LONG& objectId);
    // Whether documents added to the records-management folder are declared as records, from its
    // addition info. A failed request answers false.
    bool GetDeclareAsRecords(LONG folderId);
    // Writes the folder-creation switch (non-zero: no folders may be created) on the folder map.
    void SetFolderCreationFlag(ILSPropertyMap* folderMap, BYTE disabled);

    std::vector<CStdStr<wchar_t>> m_subFolderUrls;
    std::vector<ULONG> m_itemVersions;
    // The documents this object locked, in the order of locking; an id locked twice stands twice.
    std::vector<ULONG> m_checkedOutDocumentIds;
    std::vector<CStdStr<wchar_t>> m_itemUrls;
    // The row of each item of a container listing, whose attributes become extra properties when
    // they are written (all rows share the contents document, which holds them anyway).
    std::vector<IXMLDOMNodePtr> m_itemRows;
    // The Meridio- property name of each attribute name met in a row.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::wstring_view name) const { return std::hash<std::wstring_view>{}(name); }
    };
    std::unordered_map<std::wstring, CStdStr<wchar_t>, NameHash, std::equal_to<>> m_rowPropertyNames;
    CStdStr<wchar_t> m_serverName;
    mutable DocumentUrlMaker m_documentUrls;
    LONG m_folderObjectId = 0;
    CStdStr<wchar_t> m_dmwsUrl;
    CStdStr<wchar_t> m_rmwsUrl;
    CStdStr<wchar_t> m_scwsUrl;
    MeridioContents m_contentsDocument;
    CStdStr<wchar_t> m_fileFilterLocation;
    // How often this object told the host of a lost connection.
    unsigned m_connectionFailureNotices = 0;
};
