#pragma once
// A class with one instance at a time: the constructor publishes the object
// through ms_Singleton and the destructor withdraws it.
//
//   class TipManager : public aSingleton<TipManager> { ... };
//   TipManager::getSingleton().showTip(...);

#include "mirel/base/a_log.h"

// The constructor and destructor convert their own address to T while the T
// object is not yet (or no longer) built; the address is only stored and
// compared, so the run-time type check is left out of those two.
template <typename T> class aSingleton {
public:
    __attribute__((no_sanitize("vptr"))) aSingleton() {
        A_ASSERT(!ms_Singleton);
        ms_Singleton = static_cast<T*>(this);
    }
    __attribute__((no_sanitize("vptr"))) ~aSingleton() {
        A_ASSERT(ms_Singleton);
        // A second instance replaced this one: leave the live one published.
        if (ms_Singleton == static_cast<T*>(this)) {
            ms_Singleton = nullptr;
        }
    }
    aSingleton(const aSingleton&) = delete;
    aSingleton& operator=(const aSingleton&) = delete;

    // The instance; asking with none is a programming error, which is logged.
    static T& getSingleton() {
        A_ASSERT(ms_Singleton);
        return *ms_Singleton;
    }
    // The instance or null, without a message.
    static T* getSingletonPtr() { return ms_Singleton; }

protected:
    static inline T* ms_Singleton = nullptr;
};
