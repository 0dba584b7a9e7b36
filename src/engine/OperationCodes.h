#pragma once
// Which directory call failed, as recorded in a CountError.

namespace vantor {

inline constexpr int OP_SEARCH = 3;              // NWDSSearch and the steps that prepare it
inline constexpr int OP_GET_OBJ_COUNT = 4;       // NWDSGetObjCount
inline constexpr int OP_ALLOC_BUF = 5;           // NWDSAllocBuf in the container walk
inline constexpr int OP_LIST_CONTAINERS = 6;     // NWDSListContainers
inline constexpr int OP_GET_OBJ_NAME = 7;        // NWDSGetObjName
inline constexpr int OP_GET_PARTITION_ROOT = 8;  // FindPartitionRoot, by partition only

}  // namespace vantor
