// The in-memory registry store: the same rules as the SQLite store, kept in
// a tree of maps. Tests use it; nothing of it survives the process.
#include <map>
#include <mutex>

#include "platform/registry.h"
#include "platform/registry_detail.h"

namespace platform {
namespace {

using regdetail::Fold;
using regdetail::KeyId;
using regdetail::kRootId;

struct NamedValue {
  std::string name;  // as first written
  RegValue value;
};

struct Node {
  KeyId parent = 0;
  std::string name;
  std::map<std::string, KeyId> children;     // folded name -> key
  std::map<std::string, NamedValue> values;  // folded name -> value
};

class MemoryRegistry final : public Registry {
 public:
  MemoryRegistry() { nodes_[kRootId] = Node{0, "HKEY_LOCAL_MACHINE", {}, {}}; }

  RegStatus OpenKey(HKey parent, std::string_view subKey, HKey& result) override {
    std::lock_guard lock(mutex_);
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(parent, node, id); s != kRegOk) return s;
    std::vector<std::string> comps;
    if (!regdetail::SplitKeyPath(subKey, comps)) return kRegInvalidParameter;
    if (RegStatus s = Descend(comps, id); s != kRegOk) return s;
    result = handles_.Add(id);
    return kRegOk;
  }

  RegStatus CreateKey(HKey parent, std::string_view subKey, HKey& result) override {
    std::lock_guard lock(mutex_);
    if (doomed_ != kRegOk) return doomed_;
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(parent, node, id); s != kRegOk) return s;
    std::vector<std::string> comps;
    if (!regdetail::SplitKeyPath(subKey, comps)) return kRegInvalidParameter;
    for (const auto& c : comps) {
      std::string folded = Fold(c);
      auto& children = nodes_[id].children;
      auto it = children.find(folded);
      if (it != children.end()) {
        id = it->second;
        continue;
      }
      KeyId child = nextId_++;
      nodes_[child] = Node{id, c, {}, {}};
      nodes_[id].children.emplace(folded, child);
      id = child;
    }
    result = handles_.Add(id);
    return kRegOk;
  }

  RegStatus QueryValueEx(HKey key, std::string_view name, RegType* type, std::uint8_t* data,
                         std::uint32_t* size) override {
    std::lock_guard lock(mutex_);
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(key, node, id); s != kRegOk) return s;
    if (data != nullptr && size == nullptr) return kRegInvalidParameter;
    auto it = node->values.find(Fold(name));
    if (it == node->values.end()) return kRegFileNotFound;
    const RegValue& v = it->second.value;
    return regdetail::CopyValueOut(v.type, v.data.data(), static_cast<std::uint32_t>(v.data.size()),
                                   type, data, size);
  }

  RegStatus SetValueEx(HKey key, std::string_view name, RegType type, const std::uint8_t* data,
                       std::uint32_t size) override {
    std::lock_guard lock(mutex_);
    if (doomed_ != kRegOk) return doomed_;
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(key, node, id); s != kRegOk) return s;
    if (!regdetail::ValidValueArgs(name, data, size)) return kRegInvalidParameter;
    auto [it, added] = node->values.try_emplace(Fold(name));
    if (added) it->second.name = std::string(name);
    it->second.value.type = type;
    it->second.value.data.assign(data, data + size);
    return kRegOk;
  }

  RegStatus EnumKey(HKey key, std::uint32_t index, std::string& name) override {
    std::lock_guard lock(mutex_);
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(key, node, id); s != kRegOk) return s;
    if (index >= node->children.size()) return kRegNoMoreItems;
    auto it = node->children.begin();
    std::advance(it, index);
    name = nodes_[it->second].name;
    return kRegOk;
  }

  RegStatus EnumValue(HKey key, std::uint32_t index, std::string& name, RegValue& value) override {
    std::lock_guard lock(mutex_);
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(key, node, id); s != kRegOk) return s;
    if (index >= node->values.size()) return kRegNoMoreItems;
    auto it = node->values.begin();
    std::advance(it, index);
    name = it->second.name;
    value = it->second.value;
    return kRegOk;
  }

  RegStatus DeleteKey(HKey key, std::string_view subKey) override {
    std::lock_guard lock(mutex_);
    if (doomed_ != kRegOk) return doomed_;
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(key, node, id); s != kRegOk) return s;
    std::vector<std::string> comps;
    if (!regdetail::SplitKeyPath(subKey, comps)) return kRegInvalidParameter;
    if (comps.empty()) return kRegAccessDenied;  // a key cannot delete itself by ""
    if (RegStatus s = Descend(comps, id); s != kRegOk) return s;
    Node& victim = nodes_[id];
    nodes_[victim.parent].children.erase(Fold(victim.name));
    Erase(id);
    return kRegOk;
  }

  RegStatus DeleteValue(HKey key, std::string_view name) override {
    std::lock_guard lock(mutex_);
    if (doomed_ != kRegOk) return doomed_;
    Node* node = nullptr;
    KeyId id = 0;
    if (RegStatus s = Resolve(key, node, id); s != kRegOk) return s;
    return node->values.erase(Fold(name)) == 1 ? kRegOk : kRegFileNotFound;
  }

  RegStatus FlushKey(HKey key) override {
    std::lock_guard lock(mutex_);
    Node* node = nullptr;
    KeyId id = 0;
    return Resolve(key, node, id);
  }

  RegStatus CloseKey(HKey key) override {
    std::lock_guard lock(mutex_);
    return handles_.Remove(key) ? kRegOk : kRegInvalidHandle;
  }

  // A group keeps a copy of the tree to go back to.
  RegStatus BeginTransaction() override {
    std::lock_guard lock(mutex_);
    if (doomed_ != kRegOk) return doomed_;
    if (depth_++ == 0) saved_ = Saved{nodes_, nextId_};
    return kRegOk;
  }

  RegStatus EndTransaction(bool commit) override {
    std::lock_guard lock(mutex_);
    if (depth_ == 0) return kRegInvalidParameter;
    if (!commit && doomed_ == kRegOk) {
      nodes_ = std::move(saved_.nodes);
      nextId_ = saved_.nextId;
      doomed_ = kRegCancelled;
    }
    if (--depth_ > 0) return doomed_;
    RegStatus s = doomed_;
    doomed_ = kRegOk;
    saved_ = Saved{};
    return commit ? s : kRegOk;
  }

 private:
  // The node of an open handle; a key deleted since it was opened is gone.
  RegStatus Resolve(HKey key, Node*& node, KeyId& id) {
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    auto it = nodes_.find(id);
    if (it == nodes_.end()) return kRegKeyDeleted;
    node = &it->second;
    return kRegOk;
  }

  // Follows the components down from id to an existing key.
  RegStatus Descend(const std::vector<std::string>& comps, KeyId& id) {
    for (const auto& c : comps) {
      auto it = nodes_[id].children.find(Fold(c));
      if (it == nodes_[id].children.end()) return kRegFileNotFound;
      id = it->second;
    }
    return kRegOk;
  }

  void Erase(KeyId id) {
    auto it = nodes_.find(id);
    if (it == nodes_.end()) return;
    for (const auto& [folded, child] : it->second.children) Erase(child);
    nodes_.erase(id);
  }

  struct Saved {
    std::map<KeyId, Node> nodes;
    KeyId nextId = 0;
  };

  std::mutex mutex_;
  std::map<KeyId, Node> nodes_;
  KeyId nextId_ = kRootId + 1;
  int depth_ = 0;              // nesting of BeginTransaction
  RegStatus doomed_ = kRegOk;  // set when the open group was undone
  Saved saved_;                // the tree as the outermost group found it
  regdetail::HandleTable handles_;
};

}  // namespace

std::unique_ptr<Registry> NewMemoryRegistry() { return std::make_unique<MemoryRegistry>(); }

}  // namespace platform
