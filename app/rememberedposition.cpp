#include "app/rememberedposition.h"

#include "registry/key.h"

void ReadRememberedPosition(std::int32_t& nPosition) {
    CKey key;
    key.Open(kPositionKey, 2, true, nullptr);
    key.ReadInt(&nPosition, kPositionValue, true);
    key.Close();
}

void StoreRememberedPosition(std::int32_t nPosition) {
    CKey key;
    key.Open(kPositionKey, 2, true, nullptr);
    key.WriteInt(nPosition, kPositionValue);
    key.Close();
}
