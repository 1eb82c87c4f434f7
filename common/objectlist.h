#pragma once
// An owning list of records: the list frees what it holds. Its JSON form is
// {"ownsObjects": true, "listHelper": [count], "items": [...]}.
#include <memory>
#include <vector>

namespace tovra {

template <class T>
class TObjectList {
 public:
  using value_type = T;

  class iterator {
   public:
    using Base = typename std::vector<std::unique_ptr<T>>::iterator;
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = T*;
    using reference = T&;
    iterator() = default;
    explicit iterator(Base b) : FIt(b) {}
    T& operator*() const { return **FIt; }
    T* operator->() const { return FIt->get(); }
    iterator& operator++() { ++FIt; return *this; }
    iterator operator++(int) { auto c = *this; ++FIt; return c; }
    bool operator==(const iterator& o) const { return FIt == o.FIt; }
   private:
    Base FIt;
  };
  class const_iterator {
   public:
    using Base = typename std::vector<std::unique_ptr<T>>::const_iterator;
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = const T*;
    using reference = const T&;
    const_iterator() = default;
    explicit const_iterator(Base b) : FIt(b) {}
    const T& operator*() const { return **FIt; }
    const T* operator->() const { return FIt->get(); }
    const_iterator& operator++() { ++FIt; return *this; }
    const_iterator operator++(int) { auto c = *this; ++FIt; return c; }
    bool operator==(const const_iterator& o) const { return FIt == o.FIt; }
   private:
    Base FIt;
  };

  TObjectList() = default;
  TObjectList(TObjectList&&) noexcept = default;
  TObjectList& operator=(TObjectList&&) noexcept = default;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  T& Add(std::unique_ptr<T> item) {
    FItems.push_back(std::move(item));
    return *FItems.back();
  }
  T& Add(T item) { return Add(std::make_unique<T>(std::move(item))); }
  T& AddNew() { return Add(std::make_unique<T>()); }

  int Count() const { return static_cast<int>(FItems.size()); }
  bool IsEmpty() const { return FItems.empty(); }
  T& operator[](int i) { return *FItems.at(static_cast<size_t>(i)); }
  const T& operator[](int i) const { return *FItems.at(static_cast<size_t>(i)); }
  T& First() { return *FItems.front(); }
  T& Last() { return *FItems.back(); }

  void Delete(int i) { FItems.erase(FItems.begin() + i); }
  std::unique_ptr<T> Extract(int i) {
    auto p = std::move(FItems.at(static_cast<size_t>(i)));
    FItems.erase(FItems.begin() + i);
    return p;
  }
  void Clear() { FItems.clear(); }
  // Storage holding exactly the entries, as before every write.
  void TrimExcess() { FItems.shrink_to_fit(); }

  iterator begin() { return iterator(FItems.begin()); }
  iterator end() { return iterator(FItems.end()); }
  const_iterator begin() const { return const_iterator(FItems.begin()); }
  const_iterator end() const { return const_iterator(FItems.end()); }

  std::vector<std::unique_ptr<T>>& Raw() { return FItems; }
  const std::vector<std::unique_ptr<T>>& Raw() const { return FItems; }

 private:
  std::vector<std::unique_ptr<T>> FItems;
};

}  // namespace tovra
