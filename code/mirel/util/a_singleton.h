#pragma once
// A class with one instance at a time: the constructor publishes the object
// through ms_Singleton and the destructor withdraws it.
//
//   class TipManager : public aSingleton<TipManager> { ... };
//   TipManager::getSingleton().showTip(...);

#include "mirel/util/a_log.h"

template <typename T> class aSingleton {
public:
    aSingleton() {
        A_ASSERT(!ms_Singleton);
        ms_Singleton = static_cast<T*>(this);
    }
    ~aSingleton() {
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
