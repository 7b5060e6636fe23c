#pragma once

#include "builder/OfficeSession.h"

#include <memory>

class UnoLink;

// The service manager of a running office, reached through the component context of one
// link to it.
class UnoSession : public OfficeSession {
public:
    explicit UnoSession(std::shared_ptr<UnoLink> link);

    std::unique_ptr<OfficeDesktop> createDesktop() override;
    std::unique_ptr<OfficeDispatcher> createDispatchHelper() override;

private:
    std::shared_ptr<UnoLink> m_link;
};
