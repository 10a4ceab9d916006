#pragma once

// Base of every manager class: one lazily created instance per type, made with
// new on the first call of instance() and never destroyed while the game runs.
// Deleting the instance (tests do) clears the pointer, so the next call makes a
// fresh one. Lazy creation is not thread-safe; the game is single-threaded.
template <typename T>
class Singleton {
public:
    static T* instance()
    {
        if (!instancePointer)
            instancePointer = new T();
        return instancePointer;
    }

    virtual ~Singleton() { instancePointer = nullptr; }

    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

protected:
    Singleton() = default;

    static inline T* instancePointer = nullptr;
};
