#pragma once

#include "protocol/Message.h"

namespace vantor {

class IMediaReader;

// AddMediaReaderRequest and RemoveMediaReaderRequest: internal requests that hand the media
// library a further reader (never read from or written to a client). The reader is not
// owned: its owner removes it before destroying it.
class CMediaReaderRequest : public CRequestMessage {
public:
    CMediaReaderRequest(int32_t typeId, IMediaReader* reader)
        : CRequestMessage(typeId), m_reader(reader) {}
    IMediaReader* Reader() const { return m_reader; }
    std::unique_ptr<CMessage> Clone() const override {
        return std::make_unique<CMediaReaderRequest>(*this);
    }

private:
    IMediaReader* m_reader;
};

}  // namespace vantor
