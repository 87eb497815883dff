#pragma once

#include <atomic>

namespace vantor {

class CMediaItem;

// What a library reader reports to: the media library during an update.
class IMediaReaderOwner {
public:
    virtual ~IMediaReaderOwner();
    // Stores one item (with its whole tree for playlists and radio folders) in the library
    // being built. The reader keeps ownership. Called on the update thread only.
    virtual void AddItem(const CMediaItem& item) = 0;
    // Asks for a new library update; does nothing while one runs. Any thread.
    virtual void StartUpdate() = 0;
};

// A reader of one player's own library. Read runs on the library's update thread; Stop may
// be called from any other thread and makes a running Read return after the current item.
class IMediaReader {
public:
    virtual ~IMediaReader();
    // Reads the whole library and hands every item to the owner. 0 when the library was read,
    // non-zero when it could not be (whatever was added before stays added).
    virtual int Read() = 0;
    // Has the player look at its media files again before the next Read, for players that
    // keep a database of their own (a user asked to rescan). Blocks until the player is done
    // or Stop is called. 0 when done or when there is nothing to do. Update thread only.
    virtual int Rescan() { return 0; }
    void Stop() { m_stop.store(true); }
    // The owner outlives the reader, or clears itself here before it goes.
    void SetOwner(IMediaReaderOwner* owner) { m_owner.store(owner); }

protected:
    bool IsStopping() const { return m_stop.load(); }
    void ClearStop() { m_stop.store(false); }
    IMediaReaderOwner* Owner() const { return m_owner.load(); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<IMediaReaderOwner*> m_owner{nullptr};
};

}  // namespace vantor
