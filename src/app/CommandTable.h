#pragma once

#include <functional>
#include <map>

// Routes command ids from menus and accelerators to their handlers. An id may have no handler
// (the editing accelerators, or commands whose feature is not built in); it then does nothing.
// The application may run handlers through `runner`, which decides when they run.

namespace tavin {

class CommandTable {
  public:
    void Register(unsigned id, std::function<void()> handler) {
        handlers_[id] = std::move(handler);
    }
    bool Has(unsigned id) const { return handlers_.contains(id); }
    // Runs the handler of `id`; false when there is none.
    bool Dispatch(unsigned id) const {
        const auto it = handlers_.find(id);
        if (it == handlers_.end()) {
            return false;
        }
        if (runner) {
            runner(id, it->second);
        } else {
            it->second();
        }
        return true;
    }

    std::function<void(unsigned id, const std::function<void()>& handler)> runner;

  private:
    std::map<unsigned, std::function<void()>> handlers_;
};

}  // namespace tavin
