// The camera SDK boundary: the operations the program calls on the camera library.
//
// Every operation returns a result code, kSdkOk (0) on success. References are opaque
// and released with SdkRelease. Calls may come from several threads at once; event
// handlers run on a thread of the backend's own and must only hand work on.
// A null or already released reference is answered with kSdkErrInvalidHandle.
#pragma once

#include "camera/sdk/sdk_types.h"

/// Opens the library; chooses the backend (see sdk_backend.h). Calls nest.
SdkError SdkInitialize();
/// Closes the library once every SdkInitialize has been matched.
SdkError SdkTerminate();
/// Drops one reference; answers the references left (never treated as an error).
uint32_t SdkRelease(SdkBaseRef ref);

SdkError SdkGetCameraList(SdkCameraListRef* outList);
SdkError SdkGetChildCount(SdkBaseRef list, int32_t* outCount);
SdkError SdkGetChildAtIndex(SdkBaseRef list, int32_t index, SdkBaseRef* outChild);
SdkError SdkGetDeviceInfo(SdkCameraRef camera, SdkDeviceInfo* outInfo);

SdkError SdkOpenSession(SdkCameraRef camera);
SdkError SdkCloseSession(SdkCameraRef camera);

SdkError SdkGetPropertySize(SdkBaseRef ref, SdkPropertyId property, int32_t param,
                            SdkDataType* outType, uint32_t* outSize);
SdkError SdkGetPropertyData(SdkBaseRef ref, SdkPropertyId property, int32_t param, uint32_t size,
                            void* outData);
SdkError SdkSetPropertyData(SdkBaseRef ref, SdkPropertyId property, int32_t param, uint32_t size,
                            const void* data);
SdkError SdkGetPropertyDesc(SdkBaseRef ref, SdkPropertyId property, SdkPropertyDesc* outDesc);

SdkError SdkSendCommand(SdkCameraRef camera, SdkCameraCommand command, int32_t param);
SdkError SdkSendStatusCommand(SdkCameraRef camera, SdkStatusCommand command, int32_t param);
SdkError SdkSetCapacity(SdkCameraRef camera, SdkCapacity capacity);

SdkError SdkGetDirectoryItemInfo(SdkDirectoryItemRef item, SdkDirectoryItemInfo* outInfo);
SdkError SdkDownload(SdkDirectoryItemRef item, uint64_t size, SdkStreamRef stream);
SdkError SdkDownloadComplete(SdkDirectoryItemRef item);

SdkError SdkCreateFileStream(const char* fileName, SdkFileCreateDisposition disposition,
                             SdkAccess access, SdkStreamRef* outStream);
SdkError SdkCreateMemoryStream(uint64_t initialSize, SdkStreamRef* outStream);
SdkError SdkGetPointer(SdkStreamRef stream, const void** outPointer);
SdkError SdkGetLength(SdkStreamRef stream, uint64_t* outLength);
SdkError SdkSetProgressCallback(SdkBaseRef ref, SdkProgressCallback callback,
                                SdkProgressOption option, void* context);

SdkError SdkCreateEvfImageRef(SdkStreamRef stream, SdkEvfImageRef* outImage);
SdkError SdkDownloadEvfImage(SdkCameraRef camera, SdkEvfImageRef image);

SdkError SdkSetPropertyEventHandler(SdkCameraRef camera, SdkPropertyEvent event,
                                    SdkPropertyEventHandler handler, void* context);
SdkError SdkSetObjectEventHandler(SdkCameraRef camera, SdkObjectEvent event,
                                  SdkObjectEventHandler handler, void* context);
SdkError SdkSetCameraStateEventHandler(SdkCameraRef camera, SdkStateEvent event,
                                       SdkStateEventHandler handler, void* context);

/// The camera's shutter count (property 0x22 of its own records). Not part of the
/// library's property interface; kSdkErrPropertyUnavailable when the camera keeps none.
SdkError SdkGetShutterCount(SdkCameraRef camera, uint32_t* outCount);
