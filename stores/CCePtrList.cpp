#include "stores/CCePtrList.h"

CCePtrList::CCePtrList() : m_pHead(new Node{nullptr, nullptr, nullptr}), m_pTail(nullptr), m_nCount(0) {
    m_pCursor = m_pHead;
}

CCePtrList::~CCePtrList() {
    RemoveAll();
    delete m_pHead;
}

void CCePtrList::AddTail(void* item) { InsertAfter(m_nCount - 1, item); }

void CCePtrList::AddHead(void* item) { InsertAfter(-1, item); }

void CCePtrList::InsertAfter(int position, void* item) {
    Node* prev = position < 0 ? m_pHead : (position >= m_nCount - 1 ? (m_pTail ? m_pTail : m_pHead) : NodeAt(position));
    Node* node = new Node{item, prev, prev->pNext};
    if (prev->pNext) prev->pNext->pPrev = node;
    prev->pNext = node;
    if (!node->pNext) m_pTail = node;
    ++m_nCount;
}

bool CCePtrList::RemoveAt(int position) {
    if (position < 0 || position >= m_nCount) return false;
    Unlink(NodeAt(position));
    return true;
}

void CCePtrList::Unlink(Node* node) {
    // A cursor on the removed node steps back, so Next still goes on.
    if (m_pCursor == node) m_pCursor = node->pPrev;
    node->pPrev->pNext = node->pNext;
    if (node->pNext) node->pNext->pPrev = node->pPrev;
    if (m_pTail == node) m_pTail = node->pPrev == m_pHead ? nullptr : node->pPrev;
    delete node;
    if (--m_nCount == 0) m_pTail = nullptr;
}

void CCePtrList::RemoveAll() {
    while (m_pHead->pNext) Unlink(m_pHead->pNext);
    m_pCursor = m_pHead;
}

void CCePtrList::ResetCursor() { m_pCursor = m_pHead; }

void* CCePtrList::Next() {
    if (!m_pCursor || !m_pCursor->pNext) return nullptr;
    m_pCursor = m_pCursor->pNext;
    return m_pCursor->pItem;
}

CCePtrList::Node* CCePtrList::NodeAt(int position) const {
    Node* n = m_pHead->pNext;
    for (int i = 0; n && i < position; ++i) n = n->pNext;
    return n;
}

void* CCePtrList::GetAt(int position) const {
    if (position < 0 || position >= m_nCount) return nullptr;
    return NodeAt(position)->pItem;
}
