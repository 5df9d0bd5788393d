struct dev_ops { int (*dma_supported)(struct dev *, int); };
struct dev { const struct dev_ops *ops; };
int dma_supported(struct dev *d, int mask)
{
    int (*check)(int) = pick(mask);
    if (check(mask))
        return d->ops->dma_supported(d, mask);
    return (*check)(0) + log_call(mask);
}
