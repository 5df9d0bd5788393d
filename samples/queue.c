/* A small job queue: the example of the README. */
#include <stdio.h>
#include <stdlib.h>

struct job { int id; struct job *next; };
static struct job *head, *tail;

// 機能: 仕事を一つ列の後ろに加える
static void push(int id)
{
    struct job *j = malloc(sizeof *j);
    if (j == NULL) {
        fail("out of memory");
    }
    j->id = id;
    j->next = NULL;
    if (tail) tail->next = j; else head = j;
    tail = j;
}

// 機能: 列の先頭の仕事を取り出す
static int pop(void)
{
    struct job *j = head;
    int id = j->id;
    head = j->next;
    free(j);
    return id;
}

// 機能: 仕事を一つ片付ける
static void run(int id)
{
    if (id % 3 == 0)
        push(id + 1);
    printf("job %d\n", id);
}

// 機能: 致命的な誤りを報告して終わる
static void fail(const char *why)
{
    fprintf(stderr, "%s\n", why);
    exit(1);
}

// 機能: 三つの仕事を積み、列が空になるまで回す
int main(void)
{
    for (int i = 0; i < 3; i++)
        push(i);
    while (head != NULL)
        run(pop());
    return 0;
}
