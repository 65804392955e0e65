#pragma once
// Cache container of the stores: a doubly linked list of untyped item
// pointers. The list never owns its items; each store frees its own.
class CCePtrList {
public:
    CCePtrList();
    virtual ~CCePtrList();
    CCePtrList(const CCePtrList&) = delete;
    CCePtrList& operator=(const CCePtrList&) = delete;

    void AddTail(void* item);
    void AddHead(void* item);
    // Puts `item` after the item at 0-based `position`; a negative position
    // puts it first, one at or past the end puts it last.
    void InsertAfter(int position, void* item);
    // Removes the node at `position` when 0 <= position < count; returns
    // whether it did.
    bool RemoveAt(int position);
    void RemoveAll();

    // Cursor: Reset, then every Next returns the following item, or null
    // at the end.
    void ResetCursor();
    void* Next();

    void* GetAt(int position) const;
    int GetCount() const { return m_nCount; }

private:
    struct Node {
        void* pItem;
        Node* pPrev;
        Node* pNext;
    };
    Node* NodeAt(int position) const;
    void Unlink(Node* node);

    Node* m_pHead;    // sentinel, item null
    Node* m_pTail;    // null while empty
    int m_nCount;
    Node* m_pCursor;  // last node returned by Next (the sentinel after Reset)
};
