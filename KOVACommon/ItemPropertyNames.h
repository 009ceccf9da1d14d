// The names of the properties that synced items, folders and repositories carry on the host's
// property maps. They stand in users' mail stores exactly as written, letter case included.
#pragma once

// X(identifier, text) for each of the 188 names.
#define KOVA_ITEM_PROPERTY_NAMES(X)                                                                          \
    X(UniqueId, L"UniqueId")                                                                                 \
    X(VersionId, L"VersionId")                                                                               \
    X(DisplayName, L"DisplayName")                                                                           \
    X(FileName, L"FileName")                                                                                 \
    X(Extension, L"Extension")                                                                               \
    X(ExternalAttachmentFilename, L"ExternalAttachmentFilename")                                             \
    X(MavistoRepositoryLocation, L"Mavisto.RepositoryLocation")                                              \
    X(MavistoRepositoryType, L"Mavisto.RepositoryType")                                                      \
    X(MavistoRepositoryTypeDisplayName, L"Mavisto.RepositoryTypeDisplayName")                                \
    X(MavistoFolderLocation, L"Mavisto.FolderLocation")                                                      \
    X(MavistoFolderLocationUrl, L"Mavisto.FolderLocationUrl")                                                \
    X(KOVARepositoryOriginalLocation, L"KOVA.RepositoryOriginalLocation")                                    \
    X(FilterPropertyName, L"FilterPropertyName")                                                             \
    X(FilterPropertyValue, L"FilterPropertyValue")                                                           \
    X(MavistoNoPropertyPages, L"Mavisto.NoPropertyPages")                                                    \
    X(KOVADisableFolderCreation, L"KOVA.DisableFolderCreation")                                              \
    X(MavistoSyncDisabled, L"Mavisto.SyncDisabled")                                                          \
    X(MavistoBackgroundSyncDisabled, L"Mavisto.BackgroundSyncDisabled")                                      \
    X(MavistoMainFolder, L"Mavisto.MainFolder")                                                              \
    X(KOVAPermMask2, L"KOVA.PermMask2")                                                                      \
    X(KOVACustomDirectoryIconIndex, L"KOVA.CustomDirectoryIconIndex")                                        \
    X(MavistoSyncIssueType, L"Mavisto.SyncIssueType")                                                        \
    X(MavistoSyncIssueMessage, L"Mavisto.SyncIssueMessage")                                                  \
    X(MavistoLocalChangeInfo, L"Mavisto.LocalChangeInfo")                                                    \
    X(MavistoRemoteChangeETag, L"Mavisto.RemoteChangeETag")                                                  \
    X(KOVARenamedFilename, L"KOVA.RenamedFilename")                                                          \
    X(KOVAInterimVersionData, L"KOVA.InterimVersionData")                                                    \
    X(MavistoFormRegionClass, L"Mavisto.FormRegionClass")                                                    \
    X(MavistoFromServerETag, L"Mavisto.FromServerETag")                                                      \
    X(MavistoFromServerShortItemId, L"Mavisto.FromServerShortItemId")                                        \
    X(MavistoFromServerVersion, L"Mavisto.FromServerVersion")                                                \
    X(MavistoUserRequestedOverwriteServerETag, L"Mavisto.UserRequestedOverwriteServerETag")                  \
    X(MavistoFromServerFileName, L"Mavisto.FromServerFileName")                                              \
    X(MavistoFromServerFileUrl, L"Mavisto.FromServerFileUrl")                                                \
    X(MavistoFromServerFileId, L"Mavisto.FromServerFileId")                                                  \
    X(MavistoMessageIsUnchanged, L"Mavisto.MessageIsUnchanged")                                              \
    X(MavistoIsContentChanged, L"Mavisto.IsContentChanged")                                                  \
    X(KOVADuplicateHash, L"KOVA.DuplicateHash")                                                              \
    X(RemoteFileLastModified, L"RemoteFileLastModified")                                                     \
    X(MavistoNoDocsAllowed, L"Mavisto.NoDocsAllowed")                                                        \
    X(MavistoSyncIssueFolderMessage, L"Mavisto.SyncIssueFolderMessage")                                      \
    X(KOVAAddFolderRecordType, L"KOVA.AddFolderRecordType")                                                  \
    X(KOVARecordType, L"KOVA.RecordType")                                                                    \
    X(owsPermMask, L"ows-PermMask")                                                                          \
    X(KOVADocIdLib, L"KOVA.DocIdLib")                                                                        \
    X(KOVARepositoryIsRequired, L"KOVA.RepositoryIsRequired")                                                \
    X(KOVARepositoryIncludeInTraining, L"KOVA.RepositoryIncludeInTraining")                                  \
    X(KOVANormalisedLocation, L"KOVA.NormalisedLocation")                                                    \
    X(KOVANumSyncsSinceAvailabilityCheck, L"KOVA.NumSyncsSinceAvailabilityCheck")                            \
    X(KOVAFolderDefaultMetadata, L"KOVA.FolderDefaultMetadata")                                              \
    X(KOVAParentFolder, L"KOVA.ParentFolder")                                                                \
    X(KOVARemoveRepositoryOnShutdown, L"KOVA.RemoveRepositoryOnShutdown")                                    \
    X(KOVARemoveRepositoryAfterSeconds, L"KOVA.RemoveRepositoryAfterSeconds")                                \
    X(KOVAReposExtraPropNames, L"KOVA.ReposExtraPropNames")                                                  \
    X(KOVAFolderDeferCreation, L"KOVA.FolderDeferCreation")                                                  \
    X(KOVAFolderDeferCreationUntilParentSync, L"KOVA.FolderDeferCreationUntilParentSync")                    \
    X(KOVAReposAddedFromSite, L"KOVA.ReposAddedFromSite")                                                    \
    X(TQFollowedUserTitle, L"TQ.FollowedUserTitle")                                                          \
    X(KOVANoContentJustProperties, L"KOVA.NoContentJustProperties")                                          \
    X(MavistoLastSyncTime, L"Mavisto.LastSyncTime")                                                          \
    X(KOVALastCompleteSyncTime, L"KOVA.LastCompleteSyncTime")                                                \
    X(MavistoLastBrowseTime, L"Mavisto.LastBrowseTime")                                                      \
    X(KOVASyncsWithoutChangesCount, L"KOVA.SyncsWithoutChangesCount")                                        \
    X(MavistoManuallyCreated, L"Mavisto.ManuallyCreated")                                                    \
    X(MavistoDeferAutoSyncs, L"Mavisto.DeferAutoSyncs")                                                      \
    X(MavistoPermMask, L"Mavisto.PermMask")                                                                  \
    X(KOVAFolderServerTag, L"KOVA.FolderServerTag")                                                          \
    X(KOVAAccessToken, L"KOVA.AccessToken")                                                                  \
    X(KOVARefreshToken, L"KOVA.RefreshToken")                                                                \
    X(KOVAWorkSuiteWebServiceURL, L"KOVA.WorkSuiteWebServiceURL")                                            \
    X(KOVAWebServiceURL, L"KOVA.WebServiceURL")                                                              \
    X(SPRestrictedContentTypeOrder, L"SP-RestrictedContentTypeOrder")                                        \
    X(KOVACachedViewChangeElement, L"KOVA.CachedViewChangeElement")                                          \
    X(KOVACustomDirectoryIconPath, L"KOVA.CustomDirectoryIconPath")                                          \
    X(KOVANumSyncsBackgroundSyncSubFoldersOnly, L"KOVA.NumSyncsBackgroundSyncSubFoldersOnly")                \
    X(KOVANoDocSync, L"KOVA.NoDocSync")                                                                      \
    X(MavistoRemoteChangeInfo, L"Mavisto.RemoteChangeInfo")                                                  \
    X(Etag, L"Etag")                                                                                         \
    X(MavistoRemoteChangeStillToSync, L"Mavisto.RemoteChangeStillToSync")                                    \
    X(KOVAEditDocSeenLocked, L"KOVA.EditDocSeenLocked")                                                      \
    X(MavistoDocumentLaunched, L"Mavisto.DocumentLaunched")                                                  \
    X(MavistoLaunchedFilePath, L"Mavisto.LaunchedFilePath")                                                  \
    X(KOVADocManuallyCheckedOut, L"KOVA.DocManuallyCheckedOut")                                              \
    X(KOVADocManuallyCheckedOutEditComplete, L"KOVA.DocManuallyCheckedOutEditComplete")                      \
    X(MavistoLaunchedWriteTime, L"Mavisto.LaunchedWriteTime")                                                \
    X(MavistoLaunchedProcessKey, L"Mavisto.LaunchedProcessKey")                                              \
    X(KOVAisBeingCoAuthored, L"KOVA.isBeingCoAuthored")                                                      \
    X(KOVAPublishAsMajorVersion, L"KOVA.PublishAsMajorVersion")                                              \
    X(KOVACheckInComment, L"KOVA.CheckInComment")                                                            \
    X(KOVAContentLastModified, L"KOVA.ContentLastModified")                                                  \
    X(KOVADeferMessageSyncUntil, L"KOVA.DeferMessageSyncUntil")                                              \
    X(KOVAInterimVersionLastSaveType, L"KOVA.InterimVersionLastSaveType")                                    \
    X(MavistoMarkAsFiledKey, L"Mavisto.MarkAsFiledKey")                                                      \
    X(MavistoPendingMarkAsFiled, L"Mavisto.PendingMarkAsFiled")                                              \
    X(MavistoMessageClassOld, L"Mavisto.MessageClass.Old")                                                   \
    X(MavistoIconIndexOld, L"Mavisto.IconIndex.Old")                                                         \
    X(MavistoBeforeFormRegionClass, L"Mavisto.BeforeFormRegionClass")                                        \
    X(MavistoFromServerListId, L"Mavisto.FromServerListId")                                                  \
    X(MavistoFromServerItem, L"Mavisto.FromServerItem")                                                      \
    X(MavistoItemContentType, L"Mavisto.ItemContentType")                                                    \
    X(MavistoUserRequestedServerWin, L"Mavisto.UserRequestedServerWin")                                      \
    X(KOVAUserRequestedOverwriteServerLastModified, L"KOVA.UserRequestedOverwriteServerLastModified")        \
    X(MavistoPreviousFromServerETag, L"Mavisto.PreviousFromServerETag")                                      \
    X(KOVAFromServerExtension, L"KOVA.FromServerExtension")                                                  \
    X(MavistoChangedFields, L"Mavisto.ChangedFields")                                                        \
    X(MavistoOlkIsDirty, L"Mavisto.OlkIsDirty")                                                              \
    X(KOVASendAndFileFolder, L"KOVA.SendAndFileFolder")                                                      \
    X(KOVAOriginalName, L"KOVA.OriginalName")                                                                \
    X(KOVAAdditionalPropertyValue, L"KOVA.AdditionalPropertyValue")                                          \
    X(KOVAExtraPropertyKeys, L"KOVA.ExtraPropertyKeys")                                                      \
    X(KOVARestrictNewDocSecurity, L"KOVA.RestrictNewDocSecurity")                                            \
    X(KOVASetPropsOnAddition, L"KOVA.SetPropsOnAddition")                                                    \
    X(KOVAFullTextProperty, L"KOVA.FullTextProperty")                                                        \
    X(KOVADeletedItemGuid, L"KOVA.DeletedItemGuid")                                                          \
    X(KOVADeletedItemGlobcnt, L"KOVA.DeletedItemGlobcnt")                                                    \
    X(MavistoMessageIsUnchanged_Office2003, L"Mavisto.MessageIsUnchanged_Office2003")                        \
    X(MavistoOpenedByProcess, L"Mavisto.OpenedByProcess")                                                    \
    X(MavistoBrandNewMessage, L"Mavisto.BrandNewMessage")                                                    \
    X(KOVADeleteIfSaveCancelled, L"KOVA.DeleteIfSaveCancelled")                                              \
    X(KOVAForcePromptForProperties, L"KOVA.ForcePromptForProperties")                                        \
    X(KOVACancelCheckout, L"KOVA.CancelCheckout")                                                            \
    X(KOVALockedPurpose, L"KOVA.LockedPurpose")                                                              \
    X(KOVAMessageLinks, L"KOVA.MessageLinks")                                                                \
    X(KOVAAddedByMe, L"KOVA.AddedByMe")                                                                      \
    X(KOVAMovedFromFolder, L"KOVA.MovedFromFolder")                                                          \
    X(KOVADeletedFromFolder, L"KOVA.DeletedFromFolder")                                                      \
    X(KOVAMappedPropertiesXML, L"KOVA.MappedPropertiesXML")                                                  \
    X(KOVAMessageId, L"KOVA.MessageId")                                                                      \
    X(KOVAHeaderDownloadType, L"KOVA.HeaderDownloadType")                                                    \
    X(KOVADownloadFullItem, L"KOVA.DownloadFullItem")                                                        \
    X(KOVAMakeAvailableOfflineUntil, L"KOVA.MakeAvailableOfflineUntil")                                      \
    X(KOVAOnlineEntryId, L"KOVA.OnlineEntryId")                                                              \
    X(KOVAHasOnlinePreview, L"KOVA.HasOnlinePreview")                                                        \
    X(KOVAOnlinePreviewPath, L"KOVA.OnlinePreviewPath")                                                      \
    X(KOVAOnlineEditPath, L"KOVA.OnlineEditPath")                                                            \
    X(KOVAOnlineParentFolderUrl, L"KOVA.OnlineParentFolderUrl")                                              \
    X(KOVAOnlineBringOfflinePath, L"KOVA.OnlineBringOfflinePath")                                            \
    X(KOVAFolderOnlineResultFilter, L"KOVA.FolderOnlineResultFilter")                                        \
    X(KOVAFolderOnlineResultsQuery, L"KOVA.FolderOnlineResultsQuery")                                        \
    X(KOVAIsFolderOnlineRecentDocs, L"KOVA.IsFolderOnlineRecentDocs")                                        \
    X(KOVATooBigOrigPath, L"KOVA.TooBigOrigPath")                                                            \
    X(KOVAIsShortcut, L"KOVA.IsShortcut")                                                                    \
    X(KOVAShortcutURL, L"KOVA.ShortcutURL")                                                                  \
    X(KOVAShortcutExt, L"KOVA.ShortcutExt")                                                                  \
    X(KOVASyncModifiedRecentDays, L"KOVA.SyncModifiedRecentDays")                                            \
    X(KOVASyncModifiedRecentDaysScaled, L"KOVA.SyncModifiedRecentDaysScaled")                                \
    X(KOVAAttachmentsProcessed, L"KOVA.AttachmentsProcessed")                                                \
    X(MavistoContentTypeId, L"Mavisto.ContentTypeId")                                                        \
    X(MavistoAllowAddContent, L"Mavisto.AllowAddContent")                                                    \
    X(KOVASiteAllAvailableRepositories, L"KOVASiteAllAvailableRepositories")                                 \
    X(KOVAOptInFoldersAvailable, L"KOVAOptInFoldersAvailable")                                               \
    X(KOVAOptInSiteRepositories, L"KOVAOptInSiteRepositories")                                               \
    X(KOVAOptInSiteRepositoriesHasChanges, L"KOVAOptInSiteRepositoriesHasChanges")                           \
    X(KOVAOptedInFolders, L"KOVAOptedInFolders")                                                             \
    X(MavistoNoContentAllowed, L"Mavisto.NoContentAllowed")                                                  \
    X(KOVAHiddenFolder, L"KOVA.HiddenFolder")                                                                \
    X(KOVAExpiredFolder, L"KOVA.ExpiredFolder")                                                              \
    X(KOVATemporaryRepository, L"KOVA.TemporaryRepository")                                                  \
    X(KOVATargetUsersFolder, L"KOVA.TargetUsersFolder")                                                      \
    X(MavistoLastSyncDetailsFolderMessage, L"Mavisto.LastSyncDetailsFolderMessage")                          \
    X(KOVAKeepFolderWithPending, L"KOVA.KeepFolderWithPending")                                              \
    X(KOVACreateNewVersionOnCheckin, L"KOVA.CreateNewVersionOnCheckin")                                      \
    X(KOVACopyMoveSource, L"KOVA.CopyMoveSource")                                                            \
    X(KOVAAddItemMigrationLocation, L"KOVA.AddItemMigrationLocation")                                        \
    X(KOVASetDocumentReference, L"KOVA.SetDocumentReference")                                                \
    X(KOVALastFullSyncDateTime, L"KOVA.LastFullSyncDateTime")                                                \
    X(KOVAIncrementalSyncMaxEditContentDate, L"KOVA.IncrementalSyncMaxEditContentDate")                      \
    X(KOVAIncrementalSyncLastDocId, L"KOVA.IncrementalSyncLastDocId")                                        \
    X(KOVAIncrementalSyncSearchCriteria, L"KOVA.IncrementalSyncSearchCriteria")                              \
    X(KOVAIncrementalSyncSearchLibraries, L"KOVA.IncrementalSyncSearchLibraries")                            \
    X(KOVAHasLuggageTags, L"KOVA.HasLuggageTags")                                                            \
    X(KOVAHasBeenAutofiled, L"KOVA.HasBeenAutofiled")                                                        \
    X(KOVALastOpenedTime, L"KOVA.LastOpenedTime")                                                            \
    X(KOVAAttachmentEntryID, L"KOVA.AttachmentEntryID")                                                      \
    X(KOVADoNotAddToFolderIndex, L"KOVA.DoNotAddToFolderIndex")                                              \
    X(KOVAPropNameToMatchForLaunchOnSync, L"KOVA.PropNameToMatchForLaunchOnSync")                            \
    X(KOVAPropValToMatchForLaunchOnSync, L"KOVA.PropValToMatchForLaunchOnSync")                              \
    X(KOVACreateDocSet, L"KOVA.CreateDocSet")                                                                \
    X(KOVAInsertDocNameIntoTitle, L"KOVA.InsertDocNameIntoTitle")                                            \
    X(KOVAIDToBringForward, L"KOVA.IDToBringForward")                                                        \
    X(KOVAOriginalAttachmentCreateDate, L"KOVA.OriginalAttachmentCreateDate")                                \
    X(KOVADocOpenedAsShared, L"KOVA.DocOpenedAsShared")                                                      \
    X(KOVAConvertedToHeader, L"KOVA.ConvertedToHeader")                                                      \
    X(KOVAPropWindowToOpenEntryIds, L"KOVA.PropWindowToOpenEntryIds")                                        \
    X(KOVACRMContactEntites, L"KOVACRM.ContactEntites")                                                      \
    X(KOVASavedButNotProcessed, L"KOVA.SavedButNotProcessed")                                                \
    X(KOVASiteCollectionLocations, L"KOVA.SiteCollectionLocations")                                          \
    X(KOVAPropertyBagProperties, L"KOVA.PropertyBagProperties")

// The ordered list of property names, by identifier.
#define KOVA_PROPERTY_LIST(X)                                                                                \
    X(UniqueId)                                                                                              \
    X(VersionId)                                                                                             \
    X(DisplayName)                                                                                           \
    X(FileName)                                                                                              \
    X(Extension)                                                                                             \
    X(ExternalAttachmentFilename)                                                                            \
    X(MavistoMessageClassOld)                                                                                \
    X(MavistoIconIndexOld)                                                                                   \
    X(MavistoFromServerETag)                                                                                 \
    X(MavistoFromServerListId)                                                                               \
    X(MavistoFromServerItem)                                                                                 \
    X(MavistoItemContentType)                                                                                \
    X(MavistoFromServerShortItemId)                                                                          \
    X(MavistoFromServerVersion)                                                                              \
    X(MavistoUserRequestedOverwriteServerETag)                                                               \
    X(KOVAUserRequestedOverwriteServerLastModified)                                                          \
    X(MavistoUserRequestedServerWin)                                                                         \
    X(MavistoFromServerFileName)                                                                             \
    X(MavistoPreviousFromServerETag)                                                                         \
    X(MavistoChangedFields)                                                                                  \
    X(MavistoOlkIsDirty)                                                                                     \
    X(MavistoMessageIsUnchanged)                                                                             \
    X(MavistoMessageIsUnchanged_Office2003)                                                                  \
    X(MavistoSyncIssueType)                                                                                  \
    X(MavistoSyncIssueMessage)                                                                               \
    X(MavistoRemoteChangeInfo)                                                                               \
    X(MavistoLocalChangeInfo)                                                                                \
    X(MavistoRemoteChangeETag)                                                                               \
    X(MavistoRemoteChangeStillToSync)                                                                        \
    X(MavistoDocumentLaunched)                                                                               \
    X(MavistoLaunchedFilePath)                                                                               \
    X(MavistoLaunchedWriteTime)                                                                              \
    X(MavistoLaunchedProcessKey)                                                                             \
    X(MavistoRepositoryLocation)                                                                             \
    X(MavistoRepositoryType)                                                                                 \
    X(MavistoRepositoryTypeDisplayName)                                                                      \
    X(MavistoFolderLocation)                                                                                 \
    X(MavistoLastSyncTime)                                                                                   \
    X(KOVALastCompleteSyncTime)                                                                              \
    X(MavistoLastBrowseTime)                                                                                 \
    X(MavistoSyncDisabled)                                                                                   \
    X(MavistoBackgroundSyncDisabled)                                                                         \
    X(MavistoMainFolder)                                                                                     \
    X(MavistoMarkAsFiledKey)                                                                                 \
    X(MavistoPendingMarkAsFiled)                                                                             \
    X(MavistoSyncIssueFolderMessage)                                                                         \
    X(MavistoLastSyncDetailsFolderMessage)                                                                   \
    X(MavistoFormRegionClass)                                                                                \
    X(MavistoBeforeFormRegionClass)                                                                          \
    X(MavistoOpenedByProcess)                                                                                \
    X(MavistoBrandNewMessage)                                                                                \
    X(MavistoIsContentChanged)                                                                               \
    X(KOVAMovedFromFolder)                                                                                   \
    X(KOVALockedPurpose)                                                                                     \
    X(KOVADeleteIfSaveCancelled)                                                                             \
    X(KOVAForcePromptForProperties)                                                                          \
    X(KOVAAddedByMe)                                                                                         \
    X(KOVADuplicateHash)                                                                                     \
    X(KOVAEditDocSeenLocked)                                                                                 \
    X(KOVANumSyncsSinceAvailabilityCheck)                                                                    \
    X(KOVARepositoryIsRequired)                                                                              \
    X(KOVARemoveRepositoryOnShutdown)                                                                        \
    X(KOVAReposExtraPropNames)                                                                               \
    X(KOVAHeaderDownloadType)                                                                                \
    X(KOVADownloadFullItem)                                                                                  \
    X(KOVAMakeAvailableOfflineUntil)                                                                         \
    X(Etag)                                                                                                  \
    X(RemoteFileLastModified)                                                                                \
    X(KOVAFullTextProperty)                                                                                  \
    X(KOVAMappedPropertiesXML)                                                                               \
    X(KOVACachedViewChangeElement)                                                                           \
    X(KOVAIsShortcut)                                                                                        \
    X(KOVAShortcutURL)                                                                                       \
    X(KOVAShortcutExt)                                                                                       \
    X(KOVAContentLastModified)                                                                               \
    X(KOVADeferMessageSyncUntil)                                                                             \
    X(KOVASendAndFileFolder)                                                                                 \
    X(KOVAOriginalName)                                                                                      \
    X(KOVACreateNewVersionOnCheckin)                                                                         \
    X(KOVARecordType)                                                                                        \
    X(KOVASetDocumentReference)                                                                              \
    X(KOVALastFullSyncDateTime)                                                                              \
    X(KOVAIncrementalSyncMaxEditContentDate)                                                                 \
    X(KOVACRMContactEntites)                                                                                 \
    X(KOVANumSyncsBackgroundSyncSubFoldersOnly)                                                              \
    X(owsPermMask)                                                                                           \
    X(KOVAPublishAsMajorVersion)                                                                             \
    X(KOVAFromServerExtension)                                                                               \
    X(KOVACheckInComment)                                                                                    \
    X(KOVALastOpenedTime)                                                                                    \
    X(KOVAAttachmentEntryID)                                                                                 \
    X(KOVADoNotAddToFolderIndex)                                                                             \
    X(KOVAInterimVersionData)                                                                                \
    X(KOVADocOpenedAsShared)                                                                                 \
    X(KOVAOnlineEntryId)                                                                                     \
    X(KOVAHasOnlinePreview)                                                                                  \
    X(KOVAOnlinePreviewPath)                                                                                 \
    X(KOVAOnlineEditPath)                                                                                    \
    X(KOVAOnlineParentFolderUrl)                                                                             \
    X(KOVAOnlineBringOfflinePath)                                                                            \
    X(KOVADocIdLib)                                                                                          \
    X(KOVATooBigOrigPath)                                                                                    \
    X(KOVAConvertedToHeader)
