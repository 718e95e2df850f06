#include "data/treerecord.h"

#include "data/le.h"

TreeRecord TreeRecord::FromBytes(const unsigned char* p) {
    return TreeRecord{le::GetInt32(p), le::GetInt32(p + 4), le::GetInt32(p + 8)};
}
